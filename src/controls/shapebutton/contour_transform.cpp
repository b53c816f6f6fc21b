// Turning contours about a centre, and thinning them to a minimum point spacing.
#include <cmath>
#include <cstdint>
#include <numbers>

#include "controls/shapebutton/contour_math.h"
#include "controls/shapebutton/contours.h"

namespace roadsum {
namespace {

using namespace contour_math;

// (x, y) turned about the origin through polar form, as the distance times the cosine and
// the sine of the new angle (y upwards); nothing for a point too near the origin to have a
// direction.
struct Turned {
    double cos_part = 0, sin_part = 0;
    bool moved = false;
};

Turned turn(double x, double y, double theta) {
    const double radius = std::sqrt(x * x + y * y);
    if (round_even(radius) == 0) return {};
    double angle = 0;
    if (x == 0)
        angle = y <= 0 ? std::numbers::pi / 2 : -std::numbers::pi / 2;
    else
        angle = std::atan2(-y, x);
    angle += theta;
    return {radius * std::cos(angle), radius * std::sin(angle), true};
}

}  // namespace

Tpoints RotateContours(const Tpoints& points, std::int32_t cx, std::int32_t cy, std::int32_t angle) {
    const double theta = angle * std::numbers::pi / 1800;
    // Each point is turned about the origin and rounded, then the whole set is shifted by the
    // rounded move of the centre, so that equal offsets from the centre stay equal.
    const Turned centre = turn(cx, cy, theta);
    std::int64_t shift_x = 0, shift_y = 0;
    if (centre.moved) {
        shift_x = round_even(cx - centre.cos_part);
        shift_y = round_even(cy + centre.sin_part);
    }
    Tpoints out;
    out.reserve(points.size());
    for (const Point p : points) {
        std::int64_t x = p.x, y = p.y;
        if (const Turned t = turn(p.x, p.y, theta); t.moved) {
            x = round_even(t.cos_part);
            y = -static_cast<std::int64_t>(round_even(t.sin_part));
        }
        out.push_back({saturate(x + shift_x), saturate(y + shift_y)});
    }
    return out;
}

ContourSet RotateContours(const ContourSet& contours, std::int32_t cx, std::int32_t cy, std::int32_t angle) {
    ContourSet turned = contours;
    turned.points = RotateContours(contours.points, cx, cy, angle);
    return turned;
}

ContourSet ThinContours(const ContourSet& contours, double min_distance) {
    ContourSet out;
    const auto ranges = contour_ranges(contours.points.size(), contours.counts);
    for (std::size_t c = 0; c < ranges.size(); ++c) {
        const auto contour = contour_points(contours.points, ranges[c]);
        if (contour.empty()) continue;
        const std::size_t start = out.points.size();
        out.points.push_back(contour.front());
        for (const Point p : contour.subspan(1))
            if (distance(p, out.points.back()) > min_distance) out.points.push_back(p);
        const std::size_t kept = out.points.size() - start;
        if (kept < 3) {
            out.points.resize(start);
            continue;
        }
        out.counts.push_back(static_cast<std::int32_t>(kept));
        out.levels.push_back(level_of(contours.levels, c));
    }
    return out;
}

}  // namespace roadsum
