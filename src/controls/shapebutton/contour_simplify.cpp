// Thinning of contours: points that barely bend their contour are removed in passes.
#include <cmath>
#include <cstdint>

#include "controls/shapebutton/contour_math.h"
#include "controls/shapebutton/contours.h"

namespace roadsum {
namespace {

using contour_math::distance;

// A point at most this far from its neighbours' line is removed. A one-pixel step lies at
// exactly 1/sqrt(2); the margin keeps such steps whatever the rounding, so a traced outline
// keeps every corner and builds back into exactly the region it came from.
const double kRemoveDistance = std::sqrt(0.5) - 1e-9;

// The distance of p from the line through its neighbours, from the triangle's area by
// Heron's formula. A flat or tiny triangle gives the base length, so that a spike that
// doubles back on its own edge is measured by its length, not by a zero height.
double distance_from_base(Point previous, Point p, Point next) {
    const double a = distance(previous, p);
    const double b = distance(p, next);
    const double base = distance(previous, next);
    const double s = (a + b + base) / 2;
    const double product = s * (s - a) * (s - b) * (s - base);
    const double area = product > 0 ? std::sqrt(product) : 0;
    if (area <= 0.1 || base <= 0.1) return base;
    return 2 * area / base;
}

// Thins one contour in place; returns its new number of points.
std::size_t simplify_one(Point* pts, std::size_t n) {
    if (n <= 4) return n;
    // The points still present at the start of a pass, as a ring: a point removed in the
    // current pass stays a neighbour until the pass ends.
    std::vector<std::size_t> prev(n), next(n);
    for (std::size_t i = 0; i < n; ++i) prev[i] = (i + n - 1) % n, next[i] = (i + 1) % n;
    std::vector<bool> alive(n, true), removed_now(n, false);
    std::size_t remaining = n;
    while (remaining > 4) {
        std::size_t removed = 0;
        for (std::size_t i = 0; i < n; ++i) {
            if (!alive[i]) continue;
            if (prev[i] == next[i]) break;
            if (distance_from_base(pts[prev[i]], pts[i], pts[next[i]]) <= kRemoveDistance) {
                removed_now[i] = true;
                ++removed;
            }
        }
        if (removed == 0) break;
        if (remaining - removed < 3) {
            // A pass that would leave no polygon (a contour of near-collinear points or of
            // spikes) is undone: a contour never vanishes through thinning.
            break;
        }
        for (std::size_t i = 0; i < n; ++i) {
            if (!removed_now[i]) continue;
            removed_now[i] = false;
            alive[i] = false;
            next[prev[i]] = next[i];
            prev[next[i]] = prev[i];
        }
        remaining -= removed;
    }
    std::size_t kept = 0;
    for (std::size_t i = 0; i < n; ++i)
        if (alive[i]) pts[kept++] = pts[i];
    return kept;
}

}  // namespace

void SimplifyContours(TRgnpoints& contours, Tintegers& counts) {
    Tpoints& pts = contours.points;
    const auto ranges = contour_math::contour_ranges(pts.size(), counts);
    Tpoints out;
    out.reserve(pts.size());
    Tintegers numbers;
    numbers.reserve(pts.size());
    for (std::size_t c = 0; c < ranges.size(); ++c) {
        const std::size_t kept = simplify_one(pts.data() + ranges[c].first, ranges[c].count);
        out.insert(out.end(), pts.begin() + static_cast<std::ptrdiff_t>(ranges[c].first),
                   pts.begin() + static_cast<std::ptrdiff_t>(ranges[c].first + kept));
        numbers.insert(numbers.end(), kept, static_cast<std::int32_t>(c + 1));
        counts[c] = static_cast<std::int32_t>(kept);
    }
    pts = std::move(out);
    contours.numbers = std::move(numbers);
}

}  // namespace roadsum
