// Corner classification: which rectangle corners of a region are corners of its outline, and
// whether each is convex or concave.
#include <algorithm>
#include <cstdint>
#include <numeric>
#include <unordered_map>

#include "controls/shapebutton/contours.h"

namespace roadsum {
namespace {

// The rectangles whose given edge coordinate has a value, in rectangle order, so that the
// edge tests need not visit every rectangle for every corner.
class EdgeIndex {
public:
    explicit EdgeIndex(const std::vector<Rect>& rects) : rects_(rects) {
        for (std::uint32_t i = 0; i < rects.size(); ++i) {
            left_[rects[i].left].push_back(i);
            right_[rects[i].right].push_back(i);
            top_[rects[i].top].push_back(i);
            bottom_[rects[i].bottom].push_back(i);
        }
    }

    // The last rectangle (-1 for none) having p strictly inside its left or right edge.
    std::int64_t last_on_left(Point p) const { return last_vertical(left_, p); }
    std::int64_t last_on_right(Point p) const { return last_vertical(right_, p); }
    // ... or inside its top or bottom edge.
    std::int64_t last_on_top(Point p) const { return last_horizontal(top_, p); }
    std::int64_t last_on_bottom(Point p) const { return last_horizontal(bottom_, p); }

private:
    using Map = std::unordered_map<std::int32_t, std::vector<std::uint32_t>>;

    template <typename Inside>
    std::int64_t last_matching(const Map& map, std::int32_t edge, Inside inside) const {
        const auto it = map.find(edge);
        if (it == map.end()) return -1;
        for (auto r = it->second.rbegin(); r != it->second.rend(); ++r)
            if (inside(rects_[*r])) return *r;
        return -1;
    }
    std::int64_t last_vertical(const Map& map, Point p) const {
        return last_matching(map, p.x, [&](const Rect& r) { return r.top < p.y && p.y < r.bottom; });
    }
    std::int64_t last_horizontal(const Map& map, Point p) const {
        return last_matching(map, p.y, [&](const Rect& r) { return r.left < p.x && p.x < r.right; });
    }

    const std::vector<Rect>& rects_;
    Map left_, right_, top_, bottom_;
};

// A lone corner is convex unless it lies strictly inside another rectangle's edge. Rectangles
// are tested in order, the first-named edge before the second, and the last match decides:
// the later rectangle wins, and within one rectangle the second edge.
std::int32_t lone_corner_kind(std::int32_t kind, Point p, const EdgeIndex& edges) {
    std::int64_t first = -1, second = -1;
    std::int32_t first_kind = 0, second_kind = 0;
    switch (kind) {
    case 1: first = edges.last_on_right(p), first_kind = -4, second = edges.last_on_bottom(p), second_kind = -2; break;
    case 2: first = edges.last_on_left(p), first_kind = -3, second = edges.last_on_bottom(p), second_kind = -1; break;
    case 3: first = edges.last_on_left(p), first_kind = -2, second = edges.last_on_top(p), second_kind = -4; break;
    case 4: first = edges.last_on_right(p), first_kind = -1, second = edges.last_on_top(p), second_kind = -3; break;
    }
    if (second >= 0 && second >= first) return second_kind;
    if (first >= 0) return first_kind;
    return kind;
}

void add(TRgnpoints& out, Point p, std::int32_t kind) {
    out.points.push_back(p);
    out.numbers.push_back(kind);
}

}  // namespace

TRgnpoints ClassifyCorners(std::span<const Rect> rectangles) {
    std::vector<Rect> rects;
    for (const Rect& r : rectangles)
        if (r.left < r.right && r.top < r.bottom) rects.push_back(r);

    TRgnpoints corners;
    corners.points.reserve(rects.size() * 4);
    for (const Rect& r : rects) {
        add(corners, {r.left, r.top}, 1);
        add(corners, {r.right, r.top}, 2);
        add(corners, {r.right, r.bottom}, 3);
        add(corners, {r.left, r.bottom}, 4);
    }
    const Tpoints& pts = corners.points;

    // Corners at the same place lie next to each other in this order.
    std::vector<std::uint32_t> order(pts.size());
    std::iota(order.begin(), order.end(), 0u);
    std::sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) {
        if (pts[a].y != pts[b].y) return pts[a].y < pts[b].y;
        if (pts[a].x != pts[b].x) return pts[a].x < pts[b].x;
        return a < b;
    });
    std::vector<std::uint32_t> group_start(pts.size()), group_end(pts.size());
    for (std::size_t b = 0; b < order.size();) {
        std::size_t e = b + 1;
        while (e < order.size() && pts[order[e]] == pts[order[b]]) ++e;
        for (std::size_t k = b; k < e; ++k) group_start[order[k]] = b, group_end[order[k]] = e;
        b = e;
    }

    const EdgeIndex edges(rects);
    TRgnpoints out;
    std::vector<bool> used(pts.size(), false);
    for (std::uint32_t i = 0; i < pts.size(); ++i) {
        if (used[i]) continue;
        const std::size_t n = group_end[i] - group_start[i];
        std::int32_t sum = 0;
        for (std::size_t k = group_start[i]; k < group_end[i]; ++k) {
            used[order[k]] = true;
            sum += corners.numbers[order[k]];
        }
        const Point p = pts[i];
        if (n == 1) {
            add(out, p, lone_corner_kind(corners.numbers[i], p, edges));
        } else if (n == 2) {
            // Two rectangles touching diagonally: the outline passes the point twice.
            if (sum == 6) add(out, p, -3), add(out, p, -1);
            if (sum == 4) add(out, p, -4), add(out, p, -2);
        } else if (n == 3) {
            // Three quadrants filled; the concave kind names the empty one.
            if (sum == 6) add(out, p, -4);
            if (sum == 9) add(out, p, -1);
            if (sum == 8) add(out, p, -2);
            if (sum == 7) add(out, p, -3);
        }
    }
    return out;
}

}  // namespace roadsum
