// Inset of contours along their corner bisectors, with the repair of vertices whose moves
// crossed each other (which happens where an inset is wider than a narrow part of the shape).
#include <cmath>
#include <cstdint>
#include <numbers>
#include <optional>

#include "controls/shapebutton/contour_math.h"
#include "controls/shapebutton/contours.h"

namespace roadsum {
namespace {

using namespace contour_math;

// The direction from p towards q in the mathematical orientation (y upwards).
double angle_towards(Point p, Point q) {
    if (p.x == q.x) return p.y < q.y ? -std::numbers::pi / 2 : std::numbers::pi / 2;
    return -std::atan2(static_cast<double>(static_cast<std::int64_t>(q.y) - p.y),
                       static_cast<double>(static_cast<std::int64_t>(q.x) - p.x));
}

struct Moved {
    Point to;
    std::int32_t weight = 0;  // how sharp the corner is; the sharper one's move wins a crossing
};

Moved move_vertex(std::span<const Point> contour, std::size_t i, bool odd_level, std::int32_t d) {
    const std::size_t n = contour.size();
    const Point p = contour[i];
    std::size_t next = (i + 1) % n, prev = (i + n - 1) % n;
    while (next != i && contour[next] == p) next = (next + 1) % n;
    while (prev != i && contour[prev] == p) prev = (prev + n - 1) % n;
    if (next == i || prev == i) return {p, 0};

    const double a_prev = angle_towards(p, contour[prev]), a_next = angle_towards(p, contour[next]);
    const double bisector = (a_prev + a_next) / 2, half = (a_prev - a_next) / 2;
    const auto weight = static_cast<std::int32_t>(std::abs(round_even(std::cos(half) * 1000)));
    const double sin_half = std::abs(std::sin(half));
    if (sin_half < 0.001) return {p, weight};

    // Which way along the bisector lies the filled area: a hole's filled side is outside it.
    const double cf = std::cos(bisector), sf = std::sin(bisector);
    const bool inside = PointInContour(contour, p.x + 0.011 * cf / sin_half, p.y - 0.011 * sf / sin_half);
    const std::int64_t sign = inside != odd_level ? 1 : -1;
    // A sharp corner would shoot far along its bisector; it moves twice the distance instead.
    const bool sharp = sin_half < 0.5;
    const std::int64_t mx = round_even(sharp ? 2.0 * d * cf : d * cf / sin_half);
    const std::int64_t my = round_even(sharp ? 2.0 * d * sf : d * sf / sin_half);
    return {{saturate(p.x + sign * mx), saturate(p.y - sign * my)}, weight};
}

// The x where the line through a vertex's old and new places meets the same line of its
// neighbour; nothing for parallel lines. The products are 32-bit and wrap on overflow, which
// outlines of a few thousand pixels never reach; beyond that the result is still defined.
std::optional<std::int32_t> meeting_x(Point o1, Point n1, Point o2, Point n2) {
    const std::int32_t dx1 = wrap_sub(n1.x, o1.x), dy1 = wrap_sub(n1.y, o1.y);
    const std::int32_t dx2 = wrap_sub(n2.x, o2.x), dy2 = wrap_sub(n2.y, o2.y);
    const std::int32_t num = wrap_sub(wrap_add(wrap_mul(wrap_mul(wrap_sub(o2.y, o1.y), dx1), dx2),
                                               wrap_mul(wrap_mul(dy1, o1.x), dx2)),
                                      wrap_mul(wrap_mul(dy2, o2.x), dx1));
    const std::int32_t den = wrap_sub(wrap_mul(dy1, dx2), wrap_mul(dy2, dx1));
    if (den == 0) return std::nullopt;
    return round_even(static_cast<double>(num) / static_cast<double>(den));
}

bool strictly_between(std::int32_t x, std::int32_t a, std::int32_t b) {
    return (a < x && x < b) || (b < x && x < a);
}

void repair_crossings(std::span<const Point> old_places, std::vector<Moved>& moved) {
    const std::size_t n = moved.size();
    if (n < 2) return;
    // A handful of sweeps settle any real outline; the bound only stops pathological input
    // from passing positions round for ever.
    const std::size_t max_sweeps = 2 * n + 2;
    for (std::size_t sweep = 0; sweep < max_sweeps; ++sweep) {
        bool changed = false;
        for (std::size_t t = 0; t < n; ++t) {
            const std::size_t u = (t + 1) % n;
            const auto x = meeting_x(old_places[t], moved[t].to, old_places[u], moved[u].to);
            if (!x || !strictly_between(*x, old_places[t].x, moved[t].to.x) ||
                !strictly_between(*x, old_places[u].x, moved[u].to.x))
                continue;
            Moved& loser = moved[u].weight < moved[t].weight ? moved[u] : moved[t];
            const Moved& winner = &loser == &moved[u] ? moved[t] : moved[u];
            if (loser.to != winner.to || loser.weight != winner.weight) changed = true;
            loser = winner;
        }
        if (!changed) break;
    }
}

}  // namespace

ContourSet InsetContours(const ContourSet& contours, std::int32_t distance) {
    ContourSet result = contours;
    const auto ranges = contour_ranges(contours.points.size(), contours.counts);
    for (std::size_t c = 0; c < ranges.size(); ++c) {
        const auto contour = contour_points(contours.points, ranges[c]);
        const bool odd_level = (level_of(contours.levels, c) & 1) != 0;
        std::vector<Moved> moved(contour.size());
        for (std::size_t i = 0; i < contour.size(); ++i) moved[i] = move_vertex(contour, i, odd_level, distance);
        repair_crossings(contour, moved);
        for (std::size_t i = 0; i < contour.size(); ++i) result.points[ranges[c].first + i] = moved[i].to;
    }
    return result;
}

}  // namespace roadsum
