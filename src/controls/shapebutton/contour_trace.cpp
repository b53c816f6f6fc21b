// Chaining classified corners into contours, and the whole tracer.
#include <algorithm>
#include <cstdint>
#include <numeric>

#include "controls/shapebutton/contours.h"

namespace roadsum {
namespace {

enum class Direction { Right, Down, Left, Up };

struct Step {
    Direction direction;
    std::int32_t accept1, accept2;
};

// Where to look from a corner of each kind, and which kinds may come next there; the second
// column applies while the toggle is set (it flips whenever the walk passes between a convex
// and a concave corner).
const Step* step_for(std::int32_t kind, int toggle) {
    static const Step table[8][2] = {
        {{Direction::Right, 2, -3}, {Direction::Down, 4, -3}},   // 1
        {{Direction::Down, 3, -4}, {Direction::Left, 1, -4}},    // 2
        {{Direction::Left, 4, -1}, {Direction::Up, 2, -1}},      // 3
        {{Direction::Up, 1, -2}, {Direction::Right, 3, -2}},     // 4
        {{Direction::Right, 3, -2}, {Direction::Down, 3, -4}},   // -1
        {{Direction::Down, 4, -3}, {Direction::Left, 4, -1}},    // -2
        {{Direction::Left, 1, -4}, {Direction::Up, 1, -2}},      // -3
        {{Direction::Up, 2, -1}, {Direction::Right, 2, -3}},     // -4
    };
    if (kind >= 1 && kind <= 4) return &table[kind - 1][toggle];
    if (kind >= -4 && kind <= -1) return &table[3 - kind][toggle];
    return nullptr;
}

// The corners on each horizontal line (or vertical line), sorted along the line and then by
// index, so that the nearest corner in a direction is found by walking from the current one.
class LineIndex {
public:
    LineIndex(const Tpoints& pts, bool rows) : pts_(pts), rows_(rows), order_(pts.size()), pos_(pts.size()) {
        std::iota(order_.begin(), order_.end(), 0u);
        std::sort(order_.begin(), order_.end(), [&](std::uint32_t a, std::uint32_t b) {
            if (line(a) != line(b)) return line(a) < line(b);
            if (along(a) != along(b)) return along(a) < along(b);
            return a < b;
        });
        for (std::uint32_t k = 0; k < order_.size(); ++k) pos_[order_[k]] = k;
    }

    // The nearest corner from `from` that `accept` takes, forward (growing coordinate) or
    // backward along the line, the current place included; on ties the lowest index.
    template <typename Accept>
    std::int64_t nearest(std::uint32_t from, bool forward, Accept accept) const {
        const std::size_t n = order_.size();
        std::size_t b = pos_[from], e = b + 1;
        while (b > 0 && same_place(order_[b - 1], from)) --b;
        while (e < n && same_place(order_[e], from)) ++e;
        for (;;) {
            for (std::size_t k = b; k < e; ++k)
                if (accept(order_[k])) return order_[k];
            if (forward) {
                if (e == n || line(order_[e]) != line(from)) return -1;
                b = e++;
                while (e < n && same_place(order_[e], order_[b])) ++e;
            } else {
                if (b == 0 || line(order_[b - 1]) != line(from)) return -1;
                e = b--;
                while (b > 0 && same_place(order_[b - 1], order_[e - 1])) --b;
            }
        }
    }

private:
    std::int32_t line(std::uint32_t i) const { return rows_ ? pts_[i].y : pts_[i].x; }
    std::int32_t along(std::uint32_t i) const { return rows_ ? pts_[i].x : pts_[i].y; }
    bool same_place(std::uint32_t a, std::uint32_t b) const { return line(a) == line(b) && along(a) == along(b); }

    const Tpoints& pts_;
    bool rows_;
    std::vector<std::uint32_t> order_;
    std::vector<std::uint32_t> pos_;
};

}  // namespace

TRgnpoints ChainCorners(const TRgnpoints& corners) {
    const Tpoints& pts = corners.points;
    const std::size_t n = std::min(pts.size(), corners.numbers.size());
    const Tpoints used_points(pts.begin(), pts.begin() + static_cast<std::ptrdiff_t>(n));
    const LineIndex rows(used_points, true), columns(used_points, false);

    TRgnpoints out;
    out.points.reserve(n);
    out.numbers.reserve(n);
    std::vector<bool> visited(n, false);
    std::size_t next_start = 0;
    std::int32_t contour = 0;
    for (;;) {
        while (next_start < n && visited[next_start]) ++next_start;
        if (next_start == n) break;
        const auto start = static_cast<std::uint32_t>(next_start);
        ++contour;
        std::uint32_t current = start;
        visited[current] = true;
        out.points.push_back(pts[current]);
        out.numbers.push_back(contour);
        std::int32_t kind = corners.numbers[current], previous = kind;
        int toggle = 0;
        for (;;) {
            if ((kind < 0) != (previous < 0)) toggle = 1 - toggle;
            const Step* step = step_for(kind, toggle);
            if (!step) break;
            const auto accept = [&](std::uint32_t i) {
                return i != current && (!visited[i] || i == start) &&
                       (corners.numbers[i] == step->accept1 || corners.numbers[i] == step->accept2);
            };
            std::int64_t found = -1;
            switch (step->direction) {
            case Direction::Right: found = rows.nearest(current, true, accept); break;
            case Direction::Left: found = rows.nearest(current, false, accept); break;
            case Direction::Down: found = columns.nearest(current, true, accept); break;
            case Direction::Up: found = columns.nearest(current, false, accept); break;
            }
            if (found < 0 || found == start) break;
            current = static_cast<std::uint32_t>(found);
            visited[current] = true;
            out.points.push_back(pts[current]);
            out.numbers.push_back(contour);
            previous = kind;
            kind = corners.numbers[current];
        }
    }
    return out;
}

ContourSet TraceRectangles(std::span<const Rect> rectangles) {
    TRgnpoints contours = ChainCorners(ClassifyCorners(rectangles));
    Tintegers counts;
    for (std::int32_t number : contours.numbers) {
        if (static_cast<std::size_t>(number) > counts.size()) counts.resize(static_cast<std::size_t>(number), 0);
        ++counts[static_cast<std::size_t>(number) - 1];
    }
    SimplifyContours(contours, counts);
    ContourSet set;
    set.levels = ContourLevels(contours.points, counts);
    set.points = std::move(contours.points);
    set.counts = std::move(counts);
    return set;
}

}  // namespace roadsum
