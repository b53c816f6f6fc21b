// Feeds texts to the reader of the shaped button's user region (StringButtonRegion), as a
// layout could give it: whatever it reads must survive the trip back to text and data, and
// the traced outline must fit into the button. The first bytes also size the outlines of the
// other kinds, whose arithmetic must stay defined for any size and depth.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "controls/shapebutton/region_string.h"
#include "controls/shapebutton/shape_outlines.h"

namespace {

using namespace roadsum;

// Tracing is quadratic in the corners; larger regions teach the fuzzer nothing new.
constexpr std::size_t kMaxTraced = 48;
constexpr std::int32_t kWidth = 64, kHeight = 48;

void check(bool ok) {
    if (!ok) std::abort();
}

std::int32_t load(const std::uint8_t* p) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
                                     static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24);
}

void outlines(const std::uint8_t* data) {
    // Sizes as the setters allow them (not negative), mostly small so that runs stay quick,
    // sometimes the largest; any depth; peaks within their range.
    OutlineParams p;
    const bool huge = data[12] & 0x80;
    p.width = huge ? load(data) & 0x7FFFFFFF : load(data) & 0x3FF;
    p.height = huge ? load(data + 4) & 0x7FFFFFFF : load(data + 4) & 0x3FF;
    p.depth = load(data + 8);
    p.peaks = 3 + data[12] % 18;
    p.radius_ratio = data[13] / 255.0;
    for (int k = 0; k < kShapeButtonKindCount; ++k) {
        const ContourSet set = KindOutline(static_cast<TShapeButtonKind>(k), p);
        std::size_t total = 0;
        for (const std::int32_t n : set.counts) total += static_cast<std::size_t>(n);
        check(total == set.points.size() && set.counts.size() == set.levels.size());
    }
    const ArcShape arc = ArcOutline(p.width, p.height, p.depth, p.radius_ratio, 0.01 + data[14] / 255.0 * 6.27);
    check(arc.outline.counts.size() == 1 && arc.height >= 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size >= 15) outlines(data);
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::vector<std::uint8_t> bytes = DecodeRegionString(text);
    check(bytes.size() == size / 2);
    check(DecodeRegionString(EncodeRegionString(bytes)) == bytes);
    const auto rects = ParseRegionData(bytes);
    if (!rects) return 0;
    for (const Rect& r : *rects) check(r.left < r.right && r.top < r.bottom);
    check(ParseRegionData(RegionData(*rects)) == rects);
    if (rects->empty() || rects->size() > kMaxTraced) return 0;
    Rect box = rects->front();
    for (const Rect& r : *rects)
        box = {std::min(box.left, r.left), std::min(box.top, r.top), std::max(box.right, r.right),
               std::max(box.bottom, r.bottom)};
    const ContourSet outline = UserOutline(TraceRectangles(*rects), box, kWidth, kHeight, 2);
    for (const Point p : outline.points) check(p.x >= 0 && p.x <= kWidth && p.y >= 0 && p.y <= kHeight);
    return 0;
}
