// The geometry of one rotation step of a shaped button: its outline, the insets for bevel and
// focus, turning all of them, the bevel bands and the region steps, as RebuildShape does on
// the window's thread every RotatedTime milliseconds (40 by default). Only the system's
// region calls are left out.
#include <benchmark/benchmark.h>

#include "controls/shapebutton/contours.h"
#include "controls/shapebutton/shape_gradient.h"
#include "controls/shapebutton/shape_outlines.h"

namespace {

using namespace roadsum;

void RotationStep(benchmark::State& state, TShapeButtonKind kind, int width, int height, int depth) {
    int angle = 0;
    for (auto _ : state) {
        angle = (angle + 40) % 3600;
        const ContourSet outline = KindOutline(kind, {width, height, depth, 6, 0.5});
        const ContourSet inset1 = InsetContours(outline, depth);
        const ContourSet focus = InsetContours(outline, depth + 4);
        const ContourSet inset2 = InsetContours(inset1, depth);
        std::size_t work = 0;
        for (const ContourSet* set : {&outline, &focus, &inset1, &outline, &inset2}) {
            const ContourSet turned = RotateContours(*set, width / 2, height / 2, angle);
            work += RegionSteps(turned).size();
        }
        const BevelQuads outer = BevelBands(outline.points, inset1.points, outline.counts);
        const BevelQuads inner = BevelBands(inset2.points, inset1.points, outline.counts);
        work += outer.light.size() + inner.dark.size();
        benchmark::DoNotOptimize(work);
    }
}

// The main window's Close button.
BENCHMARK_CAPTURE(RotationStep, close_button, TShapeButtonKind::bkRoundRect, 65, 25, 1);
// A large round button: max(W, H) div max(2, depth) = 200 outline points.
BENCHMARK_CAPTURE(RotationStep, ellipse_400x300, TShapeButtonKind::bkElliptic, 400, 300, 2);
// A ring of two 400-point contours.
BENCHMARK_CAPTURE(RotationStep, donut_400x400, TShapeButtonKind::bkDonut, 400, 400, 2);

void GradientLines(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(LinearGradientLines(400, 300, 450));
}
BENCHMARK(GradientLines);

}  // namespace
