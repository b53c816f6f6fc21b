// Feeds rectangle lists to the contour geometry. Every list must trace into a consistent
// contour set that the other routines accept; a list made from a pixel grid, as a region's
// is, must trace into contours that enclose exactly the grid's pixels.
#include <charconv>
#include <cstdint>
#include <cstdlib>
#include <numeric>
#include <vector>

#include "controls/shapebutton/contours.h"
#include "pixel_regions.h"

namespace {

using namespace roadsum;

// Input, as text: a mode letter, 'P' (pixel grid) or anything else (raw rectangles), then
// whole numbers separated by anything: the inset distance, the angle and the thinning
// minimum, then rectangles. In pixel mode each rectangle is five numbers (even: add, odd:
// take away; left, top, right, bottom, taken modulo the grid size); otherwise four numbers,
// used as they are, overlaps and all.
std::vector<std::int32_t> numbers(const char* p, const char* end) {
    std::vector<std::int32_t> out;
    while (p < end) {
        std::int32_t v = 0;
        const auto [next, ec] = std::from_chars(p, end, v);
        if (next == p) {
            ++p;
            continue;
        }
        out.push_back(ec == std::errc() ? v : 0);
        p = next;
    }
    return out;
}

void check(bool ok) {
    if (!ok) std::abort();
}

void check_well_formed(const ContourSet& set) {
    check(std::accumulate(set.counts.begin(), set.counts.end(), std::size_t{0}) == set.points.size());
    check(set.levels.size() == set.counts.size());
}

constexpr int kGrid = 40;
constexpr std::size_t kMaxRects = 400;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const char* text = reinterpret_cast<const char*>(data);
    const bool pixels = text[0] == 'P';
    const std::vector<std::int32_t> n = numbers(text + 1, text + size);
    if (n.size() < 3) return 0;
    const std::int32_t distance = n[0], angle = n[1];
    const double min_distance = n[2] % 100;

    std::vector<Rect> rects;
    test::PixelGrid grid(kGrid, kGrid);
    if (pixels) {
        auto coord = [](std::int32_t v) { return static_cast<int>((v % (kGrid + 1) + (kGrid + 1)) % (kGrid + 1)); };
        for (std::size_t i = 3; i + 5 <= n.size() && i / 5 < kMaxRects; i += 5) {
            const int l = coord(n[i + 1]), t = coord(n[i + 2]), r = coord(n[i + 3]), b = coord(n[i + 4]);
            grid.fill(l, t, r, b, n[i] % 2 == 0);
        }
        rects = test::banded_rectangles(grid);
    } else {
        for (std::size_t i = 3; i + 4 <= n.size() && rects.size() < kMaxRects; i += 4)
            rects.push_back({n[i], n[i + 1], n[i + 2], n[i + 3]});
    }

    const ContourSet set = TraceRectangles(rects);
    check_well_formed(set);
    if (pixels) check(test::rasterize(set, kGrid, kGrid) == grid);

    const ContourSet inset = InsetContours(set, distance);
    check(inset.points.size() == set.points.size() && inset.counts == set.counts && inset.levels == set.levels);
    const ContourSet turned = RotateContours(inset, 17, -4, angle);
    check(turned.points.size() == set.points.size());
    check_well_formed(ThinContours(turned, min_distance));

    const BevelQuads bands = BevelBands(set.points, turned.points, set.counts);
    check(bands.light.size() + bands.dark.size() <= set.points.size());
    for (const RegionStep& step : RegionSteps(turned)) check(step.count >= 3 && step.first + step.count <= set.points.size());
    return 0;
}
