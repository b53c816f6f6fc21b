// Text sizes in fixed character cells, so that layouts can be worked out by hand: items 6 x 13
// (bold 7 wide), titles 9 x 18; wrapped texts break at blanks.
#pragma once

#include <algorithm>
#include <string>

#include "crash/pages/text_metrics.h"

namespace roadsum::testing {

class FixedMeasurer final : public TextMeasurer {
public:
    static constexpr int kLine = 13;
    static int cell(FontRole f) { return f == FontRole::title ? 9 : f == FontRole::item_bold ? 7 : 6; }
    static int line(FontRole f) { return f == FontRole::title ? 18 : kLine; }

    TextSize measure(FontRole font, std::string_view text, int wrap_width = 0) const override {
        const int w = cell(font);
        if (wrap_width <= 0) return {static_cast<int>(text.size()) * w, line(font)};
        // Greedy: words onto a line while they fit.
        int lines = 1, current = 0, widest = 0;
        std::size_t i = 0;
        while (i < text.size()) {
            const std::size_t end = std::min(text.find(' ', i), text.size());
            const int word = static_cast<int>(end - i) * w;
            const int needed = current ? current + w + word : word;
            if (current && needed > wrap_width) {
                ++lines;
                current = word;
            } else {
                current = needed;
            }
            widest = std::max(widest, current);
            i = end + 1;
        }
        return {std::min(widest, wrap_width), lines * line(font)};
    }
};

}  // namespace roadsum::testing
