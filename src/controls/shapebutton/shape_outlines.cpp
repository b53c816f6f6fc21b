#include "controls/shapebutton/shape_outlines.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <numbers>
#include <utility>

#include "controls/shapebutton/contour_math.h"

namespace roadsum {
namespace {

using contour_math::round_even;
using contour_math::saturate;

constexpr double kPi = std::numbers::pi;

// More points than any window can show; keeps a nonsense size from exhausting memory.
constexpr std::int64_t kMaxRoundPoints = 20000;

// v * num div den, exact for any 32-bit v.
std::int32_t part(std::int32_t v, std::int64_t num, std::int64_t den) { return saturate(v * num / den); }

// a * b div c (c > 0) without overflow: exact while the product fits 64 bits.
std::int32_t mul_div(std::int64_t a, std::int64_t b, std::int64_t c) {
    std::int64_t product = 0;
    if (!__builtin_mul_overflow(a, b, &product)) return saturate(product / c);
    const long double v = static_cast<long double>(a) * b / c;
    return v >= INT32_MAX ? INT32_MAX : v <= INT32_MIN ? INT32_MIN : static_cast<std::int32_t>(v);
}

ContourSet single(Tpoints points) {
    const auto n = static_cast<std::int32_t>(points.size());
    return {std::move(points), {n}, {0}};
}

ContourSet round_rect(std::int32_t w, std::int32_t h, std::int32_t depth) {
    const std::int64_t r = saturate(2 * static_cast<std::int64_t>(depth));
    const std::int64_t x = saturate(w - r), y = saturate(h - r);
    std::array<std::int64_t, 4> a{}, b{};
    for (int k = 1; k <= 3; ++k) {
        a[k] = round_even(static_cast<double>(r) * std::sin(k * kPi / 8));
        b[k] = round_even(static_cast<double>(r) * std::cos(k * kPi / 8));
    }
    auto at = [](std::int64_t px, std::int64_t py) { return Point{saturate(px), saturate(py)}; };
    return single({at(r, 0), at(x, 0), at(x + a[1], r - b[1]), at(x + a[2], r - b[2]), at(x + a[3], r - b[3]),
                   at(w, r), at(w, y), at(x + b[1], y + a[1]), at(x + b[2], y + a[2]), at(x + b[3], y + a[3]),
                   at(x, h), at(r, h), at(r - a[1], y + b[1]), at(r - a[2], y + b[2]), at(r - a[3], y + b[3]),
                   at(0, y), at(0, r), at(r - b[1], r - a[1]), at(r - b[2], r - a[2]), at(r - b[3], r - a[3])});
}

ContourSet poly_star(std::int32_t w, std::int32_t h, std::int32_t n) {
    const ContourSet outer = EllipsePoints(w, h, n);
    // The inner points lie on the lines joining every second peak when there are five or more.
    const double k = n < 5 ? 1.0 / 3 : std::cos(2 * kPi / n) / std::cos(kPi / n);
    Tpoints points;
    points.reserve(2 * outer.points.size());
    for (std::int32_t i = 0; i < n; ++i) {
        points.push_back(outer.points[i]);
        const double phi = 2 * kPi * i / n + kPi / n;
        points.push_back({round_even(std::sin(phi) * (k * w) / 2 + w / 2.0),
                          round_even(std::cos(phi) * (-k * h) / 2 + h / 2.0)});
    }
    return single(std::move(points));
}

ContourSet donut(std::int32_t w, std::int32_t h, std::int32_t depth, double ratio) {
    const std::int32_t n = RoundPointCount(2 * static_cast<std::int64_t>(std::max(w, h)), depth);
    ContourSet set = EllipsePoints(w, h, n);
    const ContourSet hole = EllipsePoints(w, h, n, ratio);
    set.points.insert(set.points.end(), hole.points.begin(), hole.points.end());
    set.counts.push_back(n);
    set.levels.push_back(1);
    return set;
}

// Outlines given as fractions of the width and height: {kx, dx, ky, dy} is (kx W div dx, ky H div dy).
struct Fraction {
    std::int32_t kx, dx, ky, dy;
};

template <std::size_t N>
ContourSet fractions(std::int32_t w, std::int32_t h, const std::array<Fraction, N>& table) {
    Tpoints points;
    points.reserve(N);
    for (const Fraction& f : table) points.push_back({part(w, f.kx, f.dx), part(h, f.ky, f.dy)});
    return single(std::move(points));
}

// Outlines on a grid of ninths: {k, m} is (k W div 9, m H div 9).
template <std::size_t N>
ContourSet ninths(std::int32_t w, std::int32_t h, const std::array<std::pair<int, int>, N>& grid) {
    Tpoints points;
    points.reserve(N);
    for (const auto& [k, m] : grid) points.push_back({part(w, k, 9), part(h, m, 9)});
    return single(std::move(points));
}

constexpr std::array<Fraction, 7> kArrow{{{0, 1, 1, 3}, {1, 2, 1, 3}, {1, 2, 0, 1}, {1, 1, 1, 2},
                                          {1, 2, 1, 1}, {1, 2, 2, 3}, {0, 1, 2, 3}}};
constexpr std::array<Fraction, 11> kArrow1{{{0, 1, 1, 1}, {0, 1, 1, 4}, {1, 12, 1, 6}, {2, 3, 1, 6},
                                            {2, 3, 0, 1}, {1, 1, 1, 4}, {2, 3, 1, 2}, {2, 3, 1, 3},
                                            {5, 24, 1, 3}, {1, 6, 9, 24}, {1, 6, 1, 1}}};
constexpr std::array<Fraction, 11> kArrow2{{{1, 6, 0, 1}, {1, 6, 15, 24}, {5, 24, 2, 3}, {2, 3, 2, 3},
                                            {2, 3, 1, 2}, {1, 1, 3, 4}, {2, 3, 1, 1}, {2, 3, 5, 6},
                                            {1, 12, 5, 6}, {0, 1, 3, 4}, {0, 1, 0, 1}}};
constexpr std::array<Fraction, 6> kCutRect{{{0, 1, 1, 6}, {1, 6, 0, 1}, {1, 1, 0, 1},
                                            {1, 1, 5, 6}, {5, 6, 1, 1}, {0, 1, 1, 1}}};
constexpr std::array<std::pair<int, int>, 24> kCross{{{2, 3}, {3, 2}, {3, 1}, {4, 0}, {5, 0}, {6, 1},
                                                      {6, 2}, {7, 3}, {8, 3}, {9, 4}, {9, 5}, {8, 6},
                                                      {7, 6}, {6, 7}, {6, 8}, {5, 9}, {4, 9}, {3, 8},
                                                      {3, 7}, {2, 6}, {1, 6}, {0, 5}, {0, 4}, {1, 3}}};
constexpr std::array<std::pair<int, int>, 20> kCross1{{{0, 0}, {2, 0}, {4, 2}, {5, 2}, {7, 0}, {9, 0}, {9, 2},
                                                       {7, 4}, {7, 5}, {9, 7}, {9, 9}, {7, 9}, {5, 7}, {4, 7},
                                                       {2, 9}, {0, 9}, {0, 7}, {2, 5}, {2, 4}, {0, 2}}};

// The angle of point `index` of `count` spread evenly over the arc; a lone point sits at its start.
double arc_step(std::int32_t index, std::int32_t count, double alpha) {
    return count > 1 ? index * alpha / (count - 1) - alpha / 2 : -alpha / 2;
}

}  // namespace

std::int32_t RoundPointCount(std::int64_t extent, std::int32_t depth) {
    const std::int64_t n = extent / std::max<std::int64_t>(2, depth);
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(n, 0, kMaxRoundPoints));
}

ContourSet RectOutline(std::int32_t w, std::int32_t h) { return single({{0, 0}, {w, 0}, {w, h}, {0, h}}); }

ContourSet EllipsePoints(std::int32_t w, std::int32_t h, std::int32_t count, double scale) {
    Tpoints points;
    points.reserve(std::max(count, 0));
    for (std::int32_t i = 0; i < count; ++i) {
        const double phi = 2 * kPi * i / count;
        points.push_back({round_even(std::sin(phi) * (scale * w) / 2 + w / 2.0),
                          round_even(std::cos(phi) * (-scale * h) / 2 + h / 2.0)});
    }
    return single(std::move(points));
}

ContourSet KindOutline(TShapeButtonKind kind, const OutlineParams& p) {
    const std::int32_t w = p.width, h = p.height;
    switch (kind) {
        case TShapeButtonKind::bkRoundRect: return round_rect(w, h, p.depth);
        case TShapeButtonKind::bkElliptic: return EllipsePoints(w, h, RoundPointCount(std::max(w, h), p.depth));
        case TShapeButtonKind::bkPoly: return EllipsePoints(w, h, p.peaks);
        case TShapeButtonKind::bkPolyStar: return poly_star(w, h, p.peaks);
        case TShapeButtonKind::bkDonut: return donut(w, h, p.depth, p.radius_ratio);
        case TShapeButtonKind::bkArrow: return fractions(w, h, kArrow);
        case TShapeButtonKind::bkArrow1: return fractions(w, h, kArrow1);
        case TShapeButtonKind::bkArrow2: return fractions(w, h, kArrow2);
        case TShapeButtonKind::bkCross: return ninths(w, h, kCross);
        case TShapeButtonKind::bkCutRect: return fractions(w, h, kCutRect);
        case TShapeButtonKind::bkCross1: return ninths(w, h, kCross1);
        default: return RectOutline(w, h);
    }
}

ArcShape ArcOutline(std::int32_t w, std::int32_t h, std::int32_t depth, double ratio, double alpha) {
    ArcShape arc;
    if (!(alpha >= 0.1)) {
        arc.outline = RectOutline(w, h);
        arc.height = h;
        arc.plain_rect = true;
        return arc;
    }
    const std::int32_t n = RoundPointCount(std::max(w, h), depth);
    double radius = 0;
    if (alpha < kPi) {
        radius = round_even(w / (2 * std::sin(alpha / 2)));
        arc.height = round_even(radius * (1 - std::cos(alpha / 2) * ratio));
        arc.inner_radius = round_even(radius * ratio);
    } else {
        radius = w / 2;
        arc.height = round_even(radius - std::cos(alpha / 2) * radius);
        arc.inner_radius = round_even(ratio * radius);
    }
    arc.outer_radius = radius;
    const double g = arc.inner_radius;
    const std::int32_t m = static_cast<std::int32_t>(std::clamp<std::int64_t>(round_even(n * ratio), 0, n));
    Tpoints points(static_cast<std::size_t>(n) + m);
    for (std::int32_t i = 0; i < n; ++i) {
        const double phi = arc_step(i, n, alpha);
        points[i] = {round_even(radius * std::sin(phi) + w / 2.0), round_even(radius - radius * std::cos(phi))};
    }
    // The inner arc runs back, so that the contour goes round the sector.
    for (std::int32_t k = 0; k < m; ++k) {
        const double phi = arc_step(k, m, alpha);
        points[n + m - 1 - k] = {round_even(g * std::sin(phi) + w / 2.0), round_even(radius - g * std::cos(phi))};
    }
    arc.outline = single(std::move(points));
    return arc;
}

ContourSet UserOutline(const ContourSet& traced, const Rect& box, std::int32_t w, std::int32_t h, std::int32_t depth) {
    const double spacing = std::max(2, depth);
    if (traced.counts.empty()) return ThinContours(RectOutline(w, h), spacing);
    const std::int64_t bw = static_cast<std::int64_t>(box.right) - box.left;
    const std::int64_t bh = static_cast<std::int64_t>(box.bottom) - box.top;
    ContourSet scaled = traced;
    for (Point& p : scaled.points) {
        if (bw <= 0 || bh <= 0) {
            p = {0, 0};
            continue;
        }
        p = {mul_div(static_cast<std::int64_t>(p.x) - box.left, w, bw),
             mul_div(static_cast<std::int64_t>(p.y) - box.top, h, bh)};
    }
    return ThinContours(scaled, spacing);
}

}  // namespace roadsum
