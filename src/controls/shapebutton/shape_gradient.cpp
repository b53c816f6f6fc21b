#include "controls/shapebutton/shape_gradient.h"

#include <algorithm>
#include <cmath>

#include "controls/shapebutton/contour_math.h"
#include "controls/shapebutton/shape_geometry.h"

namespace roadsum {
namespace {

using contour_math::round_even;

// Bands are 3 pixels apart, as wide as the pen; more than any face needs is a nonsense size.
constexpr double kBand = 3;
constexpr std::int64_t kMaxSteps = 100000;

std::int32_t bounded(double steps) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(round_even(steps), 0, kMaxSteps));
}

}  // namespace

std::vector<GradientLine> LinearGradientLines(std::int32_t fw, std::int32_t fh, std::int32_t angle) {
    const double t = AngleRadians(angle), c = std::cos(t), s = std::sin(t);
    const double diagonal = std::sqrt(static_cast<double>(fw) * fw + static_cast<double>(fh) * fh);
    const std::int32_t n = bounded((std::abs(fw * s) + std::abs(fh * c)) / kBand);
    // The first line passes through the corner where the sweep starts.
    double x0 = 0, y0 = 0;
    if (c >= 0 && s >= 0) {
        x0 = c * c * fw;
        y0 = -fw * s * c;
    } else if (c < 0 && s >= 0) {
        x0 = fh * s * c;
        y0 = c * c * fh;
    } else if (c < 0) {
        x0 = s * s * fw;
        y0 = fw * s * c + fh;
    } else {
        x0 = fw - fh * s * c;
        y0 = s * s * fh;
    }
    std::vector<GradientLine> lines;
    lines.reserve(static_cast<std::size_t>(n) + 1);
    for (std::int32_t m = 0; m <= n; ++m) {
        const double x = x0 + kBand * m * s, y = y0 + kBand * m * c;
        lines.push_back({{round_even(x), round_even(y)}, {round_even(x - diagonal * c), round_even(y + diagonal * s)}});
    }
    return lines;
}

std::int32_t CircularGradientSteps(std::int32_t fw, std::int32_t fh) {
    const double diagonal = std::sqrt(static_cast<double>(fw) * fw + static_cast<double>(fh) * fh);
    return bounded(diagonal / 2 / kBand);
}

std::int32_t GradientSampleColumn(std::int32_t m, std::int32_t n, std::int32_t width) {
    if (n == 0 || width <= 0) return 0;
    const std::int64_t column = static_cast<std::int64_t>(m) * width / n;
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(column, 0, width - 1));
}

std::int32_t GradientSampleRow(std::int32_t line, std::int32_t height) { return line < height ? line : 0; }

}  // namespace roadsum
