// A pixel model of regions for checking the contour geometry without the system: grids of
// pixels, their rectangle lists, and the pixels that a contour set encloses when its polygons
// are filled alternately and combined as a region would combine them.
#pragma once

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "controls/shapebutton/contours.h"

namespace roadsum::test {

struct PixelGrid {
    int width = 0, height = 0;
    std::vector<std::uint8_t> cells;

    PixelGrid(int w, int h) : width(w), height(h), cells(static_cast<std::size_t>(w) * h, 0) {}
    bool at(int x, int y) const { return cells[static_cast<std::size_t>(y) * width + x] != 0; }
    void set(int x, int y, bool on) { cells[static_cast<std::size_t>(y) * width + x] = on; }
    void fill(int left, int top, int right, int bottom, bool on) {
        for (int y = top; y < bottom; ++y)
            for (int x = left; x < right; ++x) set(x, y, on);
    }
    friend bool operator==(const PixelGrid&, const PixelGrid&) = default;
};

// Rows of '#' and '.', for readable failure messages.
inline std::string picture(const PixelGrid& g) {
    std::string s;
    for (int y = 0; y < g.height; ++y) {
        for (int x = 0; x < g.width; ++x) s += g.at(x, y) ? '#' : '.';
        s += '\n';
    }
    return s;
}

// The rectangle list a system region keeps: bands of equal rows, each band's runs left to
// right, runs of the same band never touching, equal neighbouring bands merged.
inline std::vector<Rect> banded_rectangles(const PixelGrid& g) {
    std::vector<Rect> rects;
    auto runs_of = [&](int y) {
        std::vector<std::pair<int, int>> runs;
        for (int x = 0; x < g.width;) {
            if (!g.at(x, y)) {
                ++x;
                continue;
            }
            int e = x;
            while (e < g.width && g.at(e, y)) ++e;
            runs.emplace_back(x, e);
            x = e;
        }
        return runs;
    };
    for (int y = 0; y < g.height;) {
        const auto runs = runs_of(y);
        int bottom = y + 1;
        while (bottom < g.height && runs_of(bottom) == runs) ++bottom;
        for (const auto& [l, r] : runs) rects.push_back({l, y, r, bottom});
        y = bottom;
    }
    return rects;
}

// Every pixel its own rectangle: the same pixels, cut up as finely as possible.
inline std::vector<Rect> pixel_rectangles(const PixelGrid& g) {
    std::vector<Rect> rects;
    for (int y = 0; y < g.height; ++y)
        for (int x = 0; x < g.width; ++x)
            if (g.at(x, y)) rects.push_back({x, y, x + 1, y + 1});
    return rects;
}

// The pixels whose centres the combined polygons cover.
inline PixelGrid rasterize(const ContourSet& set, int width, int height) {
    PixelGrid g(width, height);
    for (const RegionStep& step : RegionSteps(set)) {
        const std::span<const Point> contour(set.points.data() + step.first, step.count);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const bool in = PointInContour(contour, x + 0.5, y + 0.5);
                if (step.op == RegionOp::Copy) g.set(x, y, in);
                if (step.op == RegionOp::Add && in) g.set(x, y, true);
                if (step.op == RegionOp::Subtract && in) g.set(x, y, false);
            }
    }
    return g;
}

// Unions (add) and differences of random rectangles within width x height; they leave holes,
// islands in holes and rectangles touching at corners.
struct Shape {
    Rect rect;
    bool add = true;
};

inline std::vector<Shape> random_shapes(std::mt19937& rng, int width, int height) {
    auto pick = [&](int below) { return static_cast<int>(rng() % static_cast<unsigned>(below)); };
    std::vector<Shape> shapes(2 + static_cast<std::size_t>(pick(12)));
    for (std::size_t i = 0; i < shapes.size(); ++i) {
        const Rect outer = i > 0 ? shapes[i - 1].rect : Rect{};
        if (i > 0 && outer.right - outer.left > 2 && outer.bottom - outer.top > 2 && pick(2) == 0) {
            // Nested in the previous rectangle and of the other sign: a hole, or an island.
            const int l = outer.left + 1 + pick(outer.right - outer.left - 2);
            const int t = outer.top + 1 + pick(outer.bottom - outer.top - 2);
            shapes[i].rect = {l, t, l + 1 + pick(outer.right - 1 - l), t + 1 + pick(outer.bottom - 1 - t)};
            shapes[i].add = !shapes[i - 1].add;
            continue;
        }
        const int l = pick(width), t = pick(height);
        shapes[i].rect = {l, t, l + 1 + pick(width - l), t + 1 + pick(height - t)};
        shapes[i].add = i == 0 || pick(2) == 0;
    }
    return shapes;
}

inline PixelGrid grid_of(const std::vector<Shape>& shapes, int width, int height) {
    PixelGrid g(width, height);
    for (const Shape& s : shapes) g.fill(s.rect.left, s.rect.top, s.rect.right, s.rect.bottom, s.add);
    return g;
}

}  // namespace roadsum::test
