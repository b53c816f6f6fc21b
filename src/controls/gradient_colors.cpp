#include "controls/gradient_colors.h"

#include <algorithm>

#include "controls/shapebutton/contour_math.h"

namespace roadsum {

std::vector<TColor> GradientBandColors(TColor from, TColor to, int bands) {
    bands = std::clamp(bands, kMinColorBands, kMaxColorBands);
    auto channel_steps = [&](int (*channel)(TColor)) {
        return static_cast<double>(channel(to) - channel(from)) / (bands - 1);
    };
    double red_step = channel_steps(RedOf), green_step = channel_steps(GreenOf), blue_step = channel_steps(BlueOf);
    auto blend = [](int start, double step, int i) { return std::clamp(start + contour_math::round_even(i * step), 0, 255); };
    std::vector<TColor> colors;
    colors.reserve(bands);
    for (int i = 0; i < bands; ++i)
        colors.push_back(RGBColor(blend(RedOf(from), red_step, i), blend(GreenOf(from), green_step, i),
                                  blend(BlueOf(from), blue_step, i)));
    return colors;
}

BandSpan GradientBandSpan(int index, int bands, int extent) {
    double band = static_cast<double>(extent) / bands;
    return {contour_math::round_even(index * band), std::max(1, contour_math::round_even(1.5 * band))};
}

}  // namespace roadsum
