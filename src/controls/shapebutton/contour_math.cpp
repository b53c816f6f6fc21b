#include "controls/shapebutton/contour_math.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace roadsum::contour_math {

std::int32_t saturate(std::int64_t value) {
    constexpr std::int64_t lo = std::numeric_limits<std::int32_t>::min();
    constexpr std::int64_t hi = std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(value < lo ? lo : value > hi ? hi : value);
}

std::int32_t round_even(double value) {
    if (std::isnan(value)) return 0;
    // Clamp before converting: a double beyond the int64 range does not convert.
    if (value <= -2147483648.0) return std::numeric_limits<std::int32_t>::min();
    if (value >= 2147483647.0) return std::numeric_limits<std::int32_t>::max();
    const double whole = std::floor(value);
    const double frac = value - whole;
    double r = whole;
    if (frac > 0.5 || (frac == 0.5 && std::fmod(whole, 2.0) != 0.0)) r = whole + 1.0;
    return saturate(static_cast<std::int64_t>(r));
}

double distance(Point a, Point b) {
    const double dx = static_cast<double>(static_cast<std::int64_t>(b.x) - a.x);
    const double dy = static_cast<double>(static_cast<std::int64_t>(b.y) - a.y);
    return std::sqrt(dx * dx + dy * dy);
}

std::vector<ContourRange> contour_ranges(std::size_t point_count, const Tintegers& counts) {
    std::vector<ContourRange> ranges;
    ranges.reserve(counts.size());
    std::size_t next = 0;
    for (std::int32_t c : counts) {
        const std::size_t wanted = c > 0 ? static_cast<std::size_t>(c) : 0;
        const std::size_t count = std::min(wanted, point_count - next);
        ranges.push_back({next, count});
        next += count;
    }
    return ranges;
}

}  // namespace roadsum::contour_math
