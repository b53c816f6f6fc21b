#include "controls/shapebutton/contours_win32.h"

#include <algorithm>
#include <cstdint>

namespace roadsum {
namespace {

HRGN empty_region() { return CreateRectRgn(0, 0, 0, 0); }

Region polygon_region(std::span<const Point> points) {
    std::vector<POINT> pts;
    pts.reserve(points.size());
    for (const Point p : points) pts.push_back({p.x, p.y});
    return Region(CreatePolygonRgn(pts.data(), static_cast<int>(pts.size()), ALTERNATE));
}

}  // namespace

std::vector<Rect> RegionRectangles(HRGN region) {
    if (!region) return {};
    const DWORD size = GetRegionData(region, 0, nullptr);
    if (size < sizeof(RGNDATAHEADER)) return {};
    // DWORD storage keeps the header and rectangles aligned.
    std::vector<DWORD> buffer((size + sizeof(DWORD) - 1) / sizeof(DWORD));
    auto* data = reinterpret_cast<RGNDATA*>(buffer.data());
    const DWORD got = GetRegionData(region, size, data);
    if (got < sizeof(RGNDATAHEADER) || got > size) return {};
    const DWORD header = std::clamp<DWORD>(data->rdh.dwSize, sizeof(RGNDATAHEADER), got);
    const std::size_t count = std::min<std::size_t>(data->rdh.nCount, (got - header) / sizeof(RECT));
    const auto* rects = reinterpret_cast<const RECT*>(reinterpret_cast<const char*>(data) + header);
    std::vector<Rect> out;
    out.reserve(count);
    for (std::size_t i = 0; i < count; ++i) out.push_back({rects[i].left, rects[i].top, rects[i].right, rects[i].bottom});
    return out;
}

ContourSet RegionToContours(HRGN region) {
    const std::vector<Rect> rects = RegionRectangles(region);
    return TraceRectangles(rects);
}

Region ContoursToRegion(const ContourSet& contours) {
    if (contours.counts.empty()) return {};
    Region result(empty_region());
    if (!result) return result;
    for (const RegionStep& step : RegionSteps(contours)) {
        // A polygon the system cannot make (out of resources, absurd coordinates) is left out.
        const Region polygon = polygon_region(std::span<const Point>(contours.points).subspan(step.first, step.count));
        if (!polygon) continue;
        if (step.op == RegionOp::Copy)
            CombineRgn(result.get(), polygon.get(), nullptr, RGN_COPY);
        else
            CombineRgn(result.get(), result.get(), polygon.get(), step.op == RegionOp::Add ? RGN_OR : RGN_DIFF);
    }
    return result;
}

Region QuadsToRegion(std::span<const Quad> quads) {
    if (quads.empty()) return Region(empty_region());
    std::vector<POINT> pts;
    pts.reserve(quads.size() * 4);
    for (const Quad& q : quads)
        for (const Point p : q) pts.push_back({p.x, p.y});
    const std::vector<INT> counts(quads.size(), 4);
    HRGN region = CreatePolyPolygonRgn(pts.data(), counts.data(), static_cast<int>(quads.size()), ALTERNATE);
    return Region(region ? region : empty_region());
}

BevelRegions BevelBandRegions(const Tpoints& outline, const Tpoints& inset, const Tintegers& counts) {
    const BevelQuads bands = BevelBands(outline, inset, counts);
    return {QuadsToRegion(bands.light), QuadsToRegion(bands.dark)};
}

}  // namespace roadsum
