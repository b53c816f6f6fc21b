// Where everything of the exception box goes, in client pixels: the icon, the message, the
// buttons in a right-hand column or in one row, and the details area below them.
#pragma once

#include <array>
#include <functional>

#include "crash/box/box_texts.h"
#include "crash/pages/text_metrics.h"

namespace roadsum {

struct TBoxLayoutInput {
    bool Simple = false;
    bool Ugly = false;      // plain buttons, 26 pixels high
    bool Icon = true;       // the big icon is there (a missing picture gives its column back)
    bool FullWidth = false;  // opens as wide as the screen allows (details shown from the start)
    std::array<bool, kBoxButtons> Visible{};
    std::array<int, kBoxButtons> CaptionWidth{};
    // The message's size when broken into lines to fit the width (0: one line per paragraph).
    std::function<TextSize(int wrap_width)> Message;
    int ScreenWidth = 1024;
    int CaptionHeight = 18;  // of a window's title bar
};

struct TBoxLayout {
    int ClientWidth = 0;
    int ClientHeight = 0;  // without the details
    int ButtonHeight = 0;
    bool Column = false;  // continue, restart and close stacked at the right
    Rect Icon;            // empty without the icon
    Rect Message;
    std::array<Rect, kBoxButtons> Buttons{};  // empty for hidden buttons
};

inline constexpr int kBoxWidth = 664;
inline constexpr int kButtonMargin = 39;  // around a caption, the picture included
inline constexpr int kIconColumn = 40;
inline constexpr int kBoxDetailsHeight = 330;

TBoxLayout LayOutBox(const TBoxLayoutInput& input);

// The tab control of the details within a client area of the given size; the view of the
// selected tab takes the tab control's display area.
Rect DetailsArea(const TBoxLayout& layout, int client_width, int client_height);

}  // namespace roadsum
