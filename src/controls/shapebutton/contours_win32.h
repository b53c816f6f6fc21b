// The system side of the contour geometry: reading a region's rectangles, and building
// regions from contours and bevel quadrilaterals (polygons filled alternately).
#pragma once

#include <windows.h>

#include <span>
#include <vector>

#include "controls/shapebutton/contours.h"

namespace roadsum {

// Owns a region handle and deletes it; moves, never copies.
class OwnedRegion {
public:
    OwnedRegion() = default;
    explicit OwnedRegion(HRGN region) noexcept : region_(region) {}
    ~OwnedRegion() { reset(); }
    OwnedRegion(OwnedRegion&& other) noexcept : region_(other.release()) {}
    OwnedRegion& operator=(OwnedRegion&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    OwnedRegion(const OwnedRegion&) = delete;
    OwnedRegion& operator=(const OwnedRegion&) = delete;

    HRGN get() const noexcept { return region_; }
    explicit operator bool() const noexcept { return region_ != nullptr; }
    // Hands the handle over, for instance to SetWindowRgn, which then owns it.
    HRGN release() noexcept {
        HRGN r = region_;
        region_ = nullptr;
        return r;
    }
    void reset(HRGN region = nullptr) noexcept;

private:
    HRGN region_ = nullptr;
};

// The region's rectangle list; empty for an empty or unreadable region.
std::vector<Rect> RegionRectangles(HRGN region);

// Traces a region into contours (see TraceRectangles).
ContourSet RegionToContours(HRGN region);

// A new region of the contour set: outer boundaries added, holes taken out, islands added
// back. A set without contours gives no region (applied as a window region, none leaves the
// window unclipped); a set whose contours enclose nothing gives an empty region.
OwnedRegion ContoursToRegion(const ContourSet& contours);

// One region of 4-vertex polygons; an empty region for no quadrilaterals.
OwnedRegion QuadsToRegion(std::span<const Quad> quads);

struct BevelRegions {
    OwnedRegion light;
    OwnedRegion dark;
};

// BevelBands made into its two regions.
BevelRegions BevelBandRegions(const Tpoints& outline, const Tpoints& inset, const Tintegers& counts);

}  // namespace roadsum
