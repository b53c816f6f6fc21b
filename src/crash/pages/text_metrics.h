// How large texts are in the reporter's fonts. Layouts ask through this interface: the Win32
// version measures with the system's fonts, tests use fixed character cells.
#pragma once

#include <string_view>

namespace roadsum {

enum class FontRole {
    item,       // Tahoma, height 11 (labels, edits, check boxes, buttons, the progress window)
    item_bold,  // the same, bold (the current page number)
    title,      // Arial, height 15, bold (a page's title)
};

struct TextSize {
    int width = 0;
    int height = 0;
    friend bool operator==(const TextSize&, const TextSize&) = default;
};

struct Rect {
    int left = 0, top = 0, width = 0, height = 0;
    int right() const { return left + width; }
    int bottom() const { return top + height; }
    friend bool operator==(const Rect&, const Rect&) = default;
};

class TextMeasurer {
public:
    virtual ~TextMeasurer() = default;
    // The size of the text on one line (wrap_width 0), or broken into lines at word
    // boundaries to fit wrap_width; an empty text is one line high.
    virtual TextSize measure(FontRole font, std::string_view text, int wrap_width = 0) const = 0;
};

}  // namespace roadsum
