#include "controls/gradient_colors.h"

#include <algorithm>
#include <cmath>

namespace roadsum {

int RoundHalfEven(double value) {
    double whole = std::floor(value);
    double fraction = value - whole;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(whole, 2.0) != 0.0)) whole += 1.0;
    return static_cast<int>(whole);
}

std::vector<TColor> GradientBandColors(TColor from, TColor to, int bands) {
    bands = std::clamp(bands, kMinColorBands, kMaxColorBands);
    auto channel_steps = [&](int (*channel)(TColor)) {
        return static_cast<double>(channel(to) - channel(from)) / (bands - 1);
    };
    double red_step = channel_steps(RedOf), green_step = channel_steps(GreenOf), blue_step = channel_steps(BlueOf);
    auto blend = [](int start, double step, int i) { return std::clamp(start + RoundHalfEven(i * step), 0, 255); };
    std::vector<TColor> colors;
    colors.reserve(bands);
    for (int i = 0; i < bands; ++i)
        colors.push_back(RGBColor(blend(RedOf(from), red_step, i), blend(GreenOf(from), green_step, i),
                                  blend(BlueOf(from), blue_step, i)));
    return colors;
}

BandSpan GradientBandSpan(int index, int bands, int extent) {
    double band = static_cast<double>(extent) / bands;
    return {RoundHalfEven(index * band), std::max(1, RoundHalfEven(1.5 * band))};
}

}  // namespace roadsum
