// Where the progress window puts its parts: the bitmap at the left, the label beside it
// (word-wrapped at 420 pixels), the bar and the button below, at least 220 pixels wide.
#pragma once

#include <string>
#include <vector>

#include "crash/pages/text_metrics.h"

namespace roadsum {

inline constexpr int kProgressWrapWidth = 420;
inline constexpr int kProgressMinWidth = 220;

struct ProgressLayout {
    Rect bitmap;  // empty without a bitmap
    Rect label;
    Rect bar;
    Rect button;
    int client_width = 0;
    int client_height = 0;
};

// The label fits the largest of the texts; `bitmap` is the bitmap's size (0 x 0 for none).
ProgressLayout progress_layout(const TextMeasurer& measurer, const std::vector<std::string>& texts, TextSize bitmap,
                               TextSize button);

}  // namespace roadsum
