// Where an assistant page puts everything, in pixels of its client area: items from y = 40 at
// x = 21 with gaps by kind, the three buttons along the bottom, the panel behind the items,
// the title and the page numbers with their symbol at the top.
#pragma once

#include <vector>

#include "crash/pages/nv_form.h"
#include "crash/pages/text_metrics.h"

namespace roadsum {

inline constexpr int kPageMinWidth = 315;
inline constexpr int kItemLeft = 21;
inline constexpr int kItemTop = 40;
inline constexpr int kButtonHeight = 23;
inline constexpr int kEditFrame = 3;      // the focus frame around an edit
inline constexpr int kPageNumberStep = 19;
inline constexpr int kPageSymbolSize = 20;
inline constexpr int kCheckBoxSize = 13;

struct PageLayout {
    int width = 0, height = 0;  // of the client area
    std::vector<Rect> items;    // one per item of the form; hidden buttons get an empty one
    int button_top = 0;
    Rect panel;
    Rect title;
    Rect symbol;
    std::vector<Rect> numbers;  // one per page of the assistant
};

PageLayout layout_page(const TNVForm& form, const TextMeasurer& measurer);

// A button as wide as its caption needs, at least its MinWidth.
int button_width(const TNVButton& button, const TextMeasurer& measurer);
// A label whose caption ends with ":" or "?" and fits on one line of the given width.
bool is_head_label(const TNVItem& item, const TextMeasurer& measurer, int width);
// The space below item i of `items` (the page's items after its three buttons).
int item_gap(const std::vector<const TNVItem*>& items, std::size_t i, const std::vector<bool>& head);

}  // namespace roadsum
