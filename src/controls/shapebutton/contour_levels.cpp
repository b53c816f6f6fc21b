// Containment of points in contours, and the nesting levels that follow from it.
#include <algorithm>
#include <cmath>
#include <cstdint>

#include "controls/shapebutton/contour_math.h"
#include "controls/shapebutton/contours.h"

namespace roadsum {
namespace {

// The x where the edge start -> end crosses the line y. On an integer line the product is
// taken in integers, exact in 64 bits for coordinates up to 2^31 (beyond that in floating
// point).
double crossing_x(Point start, Point end, double y) {
    const std::int64_t dx = static_cast<std::int64_t>(end.x) - start.x;
    const auto height = static_cast<double>(static_cast<std::int64_t>(end.y) - start.y);
    if (y == std::floor(y)) {
        const std::int64_t dy = static_cast<std::int64_t>(y) - start.y;
        std::int64_t product = 0;
        if (!__builtin_mul_overflow(dx, dy, &product)) return start.x + static_cast<double>(product) / height;
    }
    return start.x + static_cast<double>(dx) * (y - start.y) / height;
}

// Another contour, readied for the stricter test: consecutive repeats of a vertex dropped
// (the closing pair included), and its bounding box.
struct Prepared {
    Tpoints v;
    bool encloses = false;  // three distinct vertices at least
    std::int32_t min_x = 0, max_x = 0, min_y = 0, max_y = 0;
};

Prepared prepare(std::span<const Point> contour) {
    Prepared c;
    for (Point p : contour)
        if (c.v.empty() || c.v.back() != p) c.v.push_back(p);
    while (c.v.size() > 1 && c.v.back() == c.v.front()) c.v.pop_back();
    Tpoints sorted = c.v;
    std::sort(sorted.begin(), sorted.end(), [](Point a, Point b) { return a.y != b.y ? a.y < b.y : a.x < b.x; });
    c.encloses = std::unique(sorted.begin(), sorted.end()) - sorted.begin() >= 3;
    if (!c.v.empty()) {
        const auto [lx, hx] = std::minmax_element(c.v.begin(), c.v.end(), [](Point a, Point b) { return a.x < b.x; });
        const auto [ly, hy] = std::minmax_element(c.v.begin(), c.v.end(), [](Point a, Point b) { return a.y < b.y; });
        c.min_x = lx->x, c.max_x = hx->x, c.min_y = ly->y, c.max_y = hy->y;
    }
    return c;
}

enum class Where { Outside, Inside, OnBoundary };

// The stricter test of the level computation. Vertices on the point's line count once where
// the contour passes through the line and not at all where it only touches it.
Where locate(const Prepared& c, double px, double py) {
    if (!c.encloses || px < c.min_x || px > c.max_x || py < c.min_y || py > c.max_y) return Where::Outside;
    const Tpoints& v = c.v;
    const std::size_t n = v.size();
    const auto off_line = std::find_if(v.begin(), v.end(), [&](Point q) { return q.y != py; });
    if (off_line == v.end()) return Where::Outside;

    // For every vertex, the nearest vertex before it that is not on the line, found in one
    // walk round the contour from a vertex off the line.
    std::vector<std::size_t> before_off(n);
    const auto first_off = static_cast<std::size_t>(off_line - v.begin());
    std::size_t last_off = first_off;
    for (std::size_t step = 1; step <= n; ++step) {
        const std::size_t k = (first_off + step) % n;
        before_off[k] = last_off;
        if (v[k].y != py) last_off = k;
    }

    int right = 0, left = 0;
    for (std::size_t k = 0; k < n; ++k) {
        const std::size_t s = (k + n - 1) % n;
        const Point start = v[s], end = v[k];
        double x = 0;
        if (start.y == py) {
            if (start.x == px) return Where::OnBoundary;
            if (end.y == py && (start.x < px) != (end.x < px)) return Where::OnBoundary;
            const std::int32_t before = v[before_off[s]].y;
            const bool through = (before < py && end.y > py) || (before > py && end.y < py);
            if (!through) continue;
            x = start.x;
        } else {
            const bool spans = (start.y <= py && py < end.y) || (end.y < py && py <= start.y);
            if (!spans) continue;
            x = crossing_x(start, end, py);
        }
        if (x == px) return Where::OnBoundary;
        if (x > px) ++right;
        if (x < px) ++left;
    }
    return right % 2 == 1 && left % 2 == 1 ? Where::Inside : Where::Outside;
}

// Whether the other contour contains this one. Its first point decides; where the two touch
// at that point, the middle of its first edge decides instead, which no other contour of a
// region passes through.
bool contains(const Prepared& other, std::span<const Point> contour) {
    const Point first = contour.front();
    const Where at_first = locate(other, first.x, first.y);
    if (at_first != Where::OnBoundary) return at_first == Where::Inside;
    for (std::size_t k = 0; k < contour.size(); ++k) {
        const Point a = contour[k], b = contour[(k + 1) % contour.size()];
        if (a == b) continue;
        const double mx = (static_cast<double>(a.x) + b.x) / 2, my = (static_cast<double>(a.y) + b.y) / 2;
        return locate(other, mx, my) == Where::Inside;
    }
    return false;
}

}  // namespace

bool PointInContour(std::span<const Point> contour, double x, double y) {
    const std::size_t n = contour.size();
    int right = 0, left = 0;
    for (std::size_t k = 0; k < n; ++k) {
        const Point start = contour[(k + n - 1) % n], end = contour[k];
        const double sy = start.y, ey = end.y;
        if (!((sy <= y && y < ey) || (ey < y && y <= sy))) continue;
        const double cx = start.x + (y - sy) * (static_cast<double>(end.x) - start.x) / (ey - sy);
        if (cx > x) ++right;
        if (cx < x) ++left;
    }
    return right % 2 == 1 && left % 2 == 1;
}

Tintegers ContourLevels(const Tpoints& points, const Tintegers& counts) {
    const auto ranges = contour_math::contour_ranges(points.size(), counts);
    std::vector<Prepared> prepared;
    prepared.reserve(ranges.size());
    for (const auto& r : ranges) prepared.push_back(prepare(contour_math::contour_points(points, r)));
    Tintegers levels(ranges.size(), 0);
    for (std::size_t i = 0; i < ranges.size(); ++i) {
        if (ranges[i].count == 0) continue;
        const auto contour = contour_math::contour_points(points, ranges[i]);
        for (std::size_t j = 0; j < ranges.size(); ++j)
            if (j != i && contains(prepared[j], contour)) ++levels[i];
    }
    return levels;
}

}  // namespace roadsum
