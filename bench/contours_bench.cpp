// The contour geometry: tracing rectangle lists of growing size, and the per-rebuild work on
// the 65 x 25 round-rect outline of the main window's buttons.
#include <benchmark/benchmark.h>

#include <cmath>

#include "controls/shapebutton/contours.h"

namespace {

using namespace roadsum;

// A filled ellipse as a region keeps it: one rectangle per row, one contour of one-pixel
// steps where the edge is steep or flat.
std::vector<Rect> disc(int rows) {
    std::vector<Rect> rects;
    const double r = rows / 2.0;
    for (int y = 0; y < rows; ++y) {
        const double dy = (y + 0.5 - r) / r;
        const int half = static_cast<int>(std::lround(2 * r * std::sqrt(std::max(0.0, 1 - dy * dy))));
        rects.push_back({-half, y, half + 1, y + 1});
    }
    return rects;
}

// A brick wall of ten bricks a band, each band shifted against the next: one outline with a
// hole between every four bricks, so many contours and many concave corners.
std::vector<Rect> bricks(int count) {
    std::vector<Rect> rects;
    for (int i = 0; i < count; ++i) {
        const int band = i / 10, x = 5 * (i % 10) + 2 * (band % 2);
        rects.push_back({x, 2 * band, x + 3, 2 * band + 2});
    }
    return rects;
}

void trace(benchmark::State& state, std::vector<Rect> (*shape)(int)) {
    const std::vector<Rect> rects = shape(static_cast<int>(state.range(0)));
    std::size_t contours = 0;
    for (auto _ : state) {
        const ContourSet set = TraceRectangles(rects);
        const std::vector<RegionStep> steps = RegionSteps(set);
        benchmark::DoNotOptimize(steps.data());
        contours = set.counts.size();
    }
    state.counters["rects"] = static_cast<double>(rects.size());
    state.counters["contours"] = static_cast<double>(contours);
    state.SetComplexityN(state.range(0));
}

void BM_TraceDisc(benchmark::State& state) { trace(state, disc); }
void BM_TraceBricks(benchmark::State& state) { trace(state, bricks); }
BENCHMARK(BM_TraceDisc)->RangeMultiplier(2)->Range(10, 2000)->Complexity();
BENCHMARK(BM_TraceBricks)->RangeMultiplier(2)->Range(10, 2000)->Complexity();

// The Close button's outline: 65 x 25, ButtonDepth 1.
const ContourSet kRoundRect{{{2, 0}, {63, 0}, {64, 0}, {64, 1}, {65, 1}, {65, 2}, {65, 23}, {65, 24}, {64, 24},
                             {64, 25}, {63, 25}, {2, 25}, {1, 25}, {1, 24}, {0, 24}, {0, 23}, {0, 2}, {0, 1},
                             {1, 1}, {1, 0}},
                            {20},
                            {0}};

void BM_RoundRectInset(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(InsetContours(kRoundRect, 1).points.data());
}
BENCHMARK(BM_RoundRectInset);

void BM_RoundRectRotate(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(RotateContours(kRoundRect.points, 32, 12, 300).data());
}
BENCHMARK(BM_RoundRectRotate);

// The polygons the regions are built from: both bevel bands and the outline's steps.
void BM_RoundRectRebuild(benchmark::State& state) {
    const ContourSet inset = InsetContours(kRoundRect, 1);
    for (auto _ : state) {
        const BevelQuads bands = BevelBands(kRoundRect.points, inset.points, kRoundRect.counts);
        const std::vector<RegionStep> steps = RegionSteps(kRoundRect);
        benchmark::DoNotOptimize(bands.light.data());
        benchmark::DoNotOptimize(steps.data());
    }
}
BENCHMARK(BM_RoundRectRebuild);

// Everything the button's rebuild asks of this unit apart from the system calls: three
// insets, five turns, two pairs of bevel bands and four region plans.
void BM_RoundRectWholeRebuild(benchmark::State& state) {
    for (auto _ : state) {
        const ContourSet i1 = InsetContours(kRoundRect, 1), fc = InsetContours(kRoundRect, 5);
        const ContourSet i2 = InsetContours(i1, 1);
        const ContourSet o = RotateContours(kRoundRect, 32, 12, 300), c = RotateContours(kRoundRect, 32, 12, 300);
        const ContourSet ri1 = RotateContours(i1, 32, 12, 300), rfc = RotateContours(fc, 32, 12, 300);
        const ContourSet ri2 = RotateContours(i2, 32, 12, 300);
        const BevelQuads outer = BevelBands(o.points, ri1.points, o.counts);
        const BevelQuads inner = BevelBands(ri2.points, ri1.points, o.counts);
        std::size_t steps = 0;
        for (const ContourSet* s : {&o, &c, &ri2, &rfc}) steps += RegionSteps(*s).size();
        benchmark::DoNotOptimize(outer.light.data());
        benchmark::DoNotOptimize(inner.dark.data());
        benchmark::DoNotOptimize(steps);
    }
}
BENCHMARK(BM_RoundRectWholeRebuild);

}  // namespace
