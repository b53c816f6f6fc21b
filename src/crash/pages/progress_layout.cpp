#include "crash/pages/progress_layout.h"

#include <algorithm>

namespace roadsum {
namespace {

constexpr int kMargin = 12;
constexpr int kGap = 10;
constexpr int kBarHeight = 17;

}  // namespace

ProgressLayout progress_layout(const TextMeasurer& measurer, const std::vector<std::string>& texts, TextSize bitmap,
                               TextSize button) {
    TextSize label = measurer.measure(FontRole::item, "", kProgressWrapWidth);
    for (const std::string& text : texts) {
        const TextSize t = measurer.measure(FontRole::item, text, kProgressWrapWidth);
        label.width = std::max(label.width, std::min(t.width, kProgressWrapWidth));
        label.height = std::max(label.height, t.height);
    }
    ProgressLayout l;
    const bool has_bitmap = bitmap.width > 0 && bitmap.height > 0;
    const int text_left = has_bitmap ? kMargin + bitmap.width + kMargin : kMargin;
    if (has_bitmap) l.bitmap = {kMargin, kMargin, bitmap.width, bitmap.height};
    // A short text stands level with the middle of the bitmap.
    const int label_top = kMargin + std::max(0, (bitmap.height - label.height) / 2);
    l.label = {text_left, label_top, label.width, label.height};
    l.client_width = std::max({kProgressMinWidth, text_left + label.width + kMargin, button.width + 2 * kMargin});
    const int content_bottom = std::max(l.label.bottom(), has_bitmap ? l.bitmap.bottom() : 0);
    l.bar = {kMargin, content_bottom + kGap, l.client_width - 2 * kMargin, kBarHeight};
    l.button = {(l.client_width - button.width) / 2, l.bar.bottom() + kGap, button.width, button.height};
    l.client_height = l.button.bottom() + kMargin;
    return l;
}

}  // namespace roadsum
