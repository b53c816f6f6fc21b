#include "crash/picture/mitchell_zoom.h"

#include <algorithm>
#include <cmath>

namespace roadsum {
namespace {

constexpr double kB = 1.0 / 3.0, kC = 1.0 / 3.0;
constexpr double kSupport = 2.0;

std::uint8_t to_byte(float v) { return static_cast<std::uint8_t>(std::clamp(std::lround(v), 0L, 255L)); }

}  // namespace

double mitchell_filter(double x) {
    x = std::fabs(x);
    const double x2 = x * x, x3 = x2 * x;
    if (x < 1.0) return ((12 - 9 * kB - 6 * kC) * x3 + (-18 + 12 * kB + 6 * kC) * x2 + (6 - 2 * kB)) / 6;
    if (x < 2.0) return ((-kB - 6 * kC) * x3 + (6 * kB + 30 * kC) * x2 + (-12 * kB - 48 * kC) * x + (8 * kB + 24 * kC)) / 6;
    return 0.0;
}

std::vector<std::vector<Contribution>> mitchell_contributions(int source, int target) {
    std::vector<std::vector<Contribution>> list(static_cast<std::size_t>(std::max(target, 0)));
    if (source <= 0 || target <= 0) return list;
    const double scale = double(target) / double(source);
    const double shrink = std::min(scale, 1.0);  // the filter stretched to cover shrunk pixels
    const double radius = kSupport / shrink;
    for (int i = 0; i < target; ++i) {
        const double centre = (i + 0.5) / scale - 0.5;  // pixel centres of the two grids line up
        const int first = static_cast<int>(std::ceil(centre - radius));
        const int last = static_cast<int>(std::floor(centre + radius));
        std::vector<Contribution>& c = list[static_cast<std::size_t>(i)];
        double total = 0.0;
        for (int j = first; j <= last; ++j) {
            const double w = mitchell_filter((centre - j) * shrink);
            if (w == 0.0) continue;
            const int clamped = std::clamp(j, 0, source - 1);  // the edge pixels repeat outwards
            if (!c.empty() && c.back().source == clamped)
                c.back().weight += static_cast<float>(w);
            else
                c.push_back({clamped, static_cast<float>(w)});
            total += w;
        }
        for (Contribution& k : c) k.weight = static_cast<float>(k.weight / total);
    }
    return list;
}

PixelImage zoom_mitchell(const PixelImage& image, int width, int height) {
    if (image.empty() || width <= 0 || height <= 0) return {};
    if (width == image.width && height == image.height) return image;
    const auto columns = mitchell_contributions(image.width, width);
    const auto rows = mitchell_contributions(image.height, height);

    // Across first, into three floats per pixel, then down.
    std::vector<float> across(static_cast<std::size_t>(width) * static_cast<std::size_t>(image.height) * 3);
    float* out = across.data();
    for (int y = 0; y < image.height; ++y) {
        const std::uint32_t* src = image.row(y);
        for (const auto& column : columns) {
            float r = 0, g = 0, b = 0;
            for (const Contribution& c : column) {
                const std::uint32_t p = src[c.source];
                r += c.weight * float(red_of(p));
                g += c.weight * float(green_of(p));
                b += c.weight * float(blue_of(p));
            }
            *out++ = r;
            *out++ = g;
            *out++ = b;
        }
    }

    PixelImage result(width, height);
    const std::size_t line = static_cast<std::size_t>(width) * 3;
    std::vector<float> sum(line);
    for (int y = 0; y < height; ++y) {
        std::fill(sum.begin(), sum.end(), 0.0f);
        for (const Contribution& c : rows[static_cast<std::size_t>(y)]) {
            const float* src = across.data() + static_cast<std::size_t>(c.source) * line;
            for (std::size_t k = 0; k < line; ++k) sum[k] += c.weight * src[k];
        }
        std::uint32_t* dst = result.row(y);
        for (int x = 0; x < width; ++x) dst[x] = rgb_pixel(to_byte(sum[3 * x]), to_byte(sum[3 * x + 1]), to_byte(sum[3 * x + 2]));
    }
    return result;
}

}  // namespace roadsum
