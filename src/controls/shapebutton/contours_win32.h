// The system side of the contour geometry: reading a region's rectangles, and building
// regions from contours and bevel quadrilaterals (polygons filled alternately).
#pragma once

#include <windows.h>

#include <span>
#include <vector>

#include "controls/shapebutton/contours.h"
#include "toolkit/gdi.h"

namespace roadsum {

// The region's rectangle list; empty for an empty or unreadable region.
std::vector<Rect> RegionRectangles(HRGN region);

// Traces a region into contours (see TraceRectangles).
ContourSet RegionToContours(HRGN region);

// A new region of the contour set: outer boundaries added, holes taken out, islands added
// back. A set without contours gives no region (applied as a window region, none leaves the
// window unclipped); a set whose contours enclose nothing gives an empty region. Hand the
// handle to SetWindowRgn with release(): the system owns it then.
Region ContoursToRegion(const ContourSet& contours);

// One region of 4-vertex polygons; an empty region for no quadrilaterals.
Region QuadsToRegion(std::span<const Quad> quads);

struct BevelRegions {
    Region light;
    Region dark;
};

// BevelBands made into its two regions.
BevelRegions BevelBandRegions(const Tpoints& outline, const Tpoints& inset, const Tintegers& counts);

}  // namespace roadsum
