// Arithmetic shared by the contour routines: rounding and saturation into 32-bit coordinates,
// deliberate 32-bit wrap-around, and the slicing of a point list into contours.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "controls/shapebutton/contours.h"

namespace roadsum::contour_math {

// Clamps to the 32-bit range, so that huge coordinates stay defined.
std::int32_t saturate(std::int64_t value);

// Nearest integer with ties to even, saturated; NaN gives 0.
std::int32_t round_even(double value);

// 32-bit two's-complement arithmetic that wraps on overflow, as the crossing repair's integer
// formula does, without signed overflow.
inline std::int32_t wrap(std::uint32_t value) { return static_cast<std::int32_t>(value); }
inline std::int32_t wrap_add(std::int32_t a, std::int32_t b) {
    return wrap(static_cast<std::uint32_t>(a) + static_cast<std::uint32_t>(b));
}
inline std::int32_t wrap_sub(std::int32_t a, std::int32_t b) {
    return wrap(static_cast<std::uint32_t>(a) - static_cast<std::uint32_t>(b));
}
inline std::int32_t wrap_mul(std::int32_t a, std::int32_t b) {
    return wrap(static_cast<std::uint32_t>(a) * static_cast<std::uint32_t>(b));
}

// Euclidean distance, exact in its inputs even for the full 32-bit range.
double distance(Point a, Point b);

// Where each contour's points lie: counts cut to the points there are, negative counts 0.
struct ContourRange {
    std::size_t first = 0;
    std::size_t count = 0;
};
std::vector<ContourRange> contour_ranges(std::size_t point_count, const Tintegers& counts);

inline std::span<const Point> contour_points(const Tpoints& points, ContourRange r) {
    return std::span<const Point>(points).subspan(r.first, r.count);
}

// The level of contour i; a missing level counts as 0.
inline std::int32_t level_of(const Tintegers& levels, std::size_t i) { return i < levels.size() ? levels[i] : 0; }

}  // namespace roadsum::contour_math
