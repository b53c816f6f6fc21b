// The polygons from which regions are built: bevel band quadrilaterals and the order in which
// contour polygons are combined.
#include <algorithm>
#include <cstdint>
#include <numeric>

#include "controls/shapebutton/contour_math.h"
#include "controls/shapebutton/contours.h"

namespace roadsum {

using namespace contour_math;

BevelQuads BevelBands(const Tpoints& outline, const Tpoints& inset, const Tintegers& counts) {
    BevelQuads bands;
    if (outline.size() != inset.size()) return bands;
    for (const ContourRange r : contour_ranges(outline.size(), counts)) {
        if (r.count < 2) continue;
        for (std::size_t j = 0; j < r.count; ++j) {
            const std::size_t a = r.first + j, b = r.first + (j + 1) % r.count;
            const std::int64_t dx = static_cast<std::int64_t>(outline[b].x) - outline[a].x;
            const std::int64_t dy = static_cast<std::int64_t>(outline[b].y) - outline[a].y;
            // Light where the edge runs more rightwards than downwards: top and left edges of
            // a clockwise outline, split on the 45 degree diagonal.
            (dy < dx ? bands.light : bands.dark).push_back({outline[a], inset[a], inset[b], outline[b]});
        }
    }
    return bands;
}

std::vector<RegionStep> RegionSteps(const ContourSet& contours) {
    const auto ranges = contour_ranges(contours.points.size(), contours.counts);
    std::vector<std::size_t> order;
    for (std::size_t c = 0; c < ranges.size(); ++c)
        if (ranges[c].count >= 3 && level_of(contours.levels, c) >= 0) order.push_back(c);
    // Outer boundaries first, then holes, islands and so on; contour order within a level.
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return level_of(contours.levels, a) < level_of(contours.levels, b);
    });
    std::vector<RegionStep> steps;
    steps.reserve(order.size());
    for (std::size_t c : order) {
        const bool odd = (level_of(contours.levels, c) & 1) != 0;
        const RegionOp op = steps.empty() ? RegionOp::Copy : odd ? RegionOp::Subtract : RegionOp::Add;
        steps.push_back({ranges[c].first, ranges[c].count, op});
    }
    return steps;
}

}  // namespace roadsum
