// The pictures and regions of the shaped button on the system side: a 24-bit bitmap seen as
// pixels, and regions of rectangle lists. (TDib24::FromBitmap copies a picture into a 24-bit one.)
#pragma once

#include <windows.h>

#include <memory>
#include <span>

#include "controls/shapebutton/contours.h"
#include "controls/shapebutton/shape_glyph.h"
#include "toolkit/dib.h"
#include "toolkit/gdi.h"

namespace roadsum {

// The bitmap's pixels; empty for no bitmap.
ImageView PixelsOf(const TDib24* bitmap);

// A region of the rectangles; an empty region for none, no region when the system refuses.
Region RegionOfRectangles(std::span<const Rect> rectangles);

// A copy of the region, or no region for none.
Region CopyRegion(HRGN region);

}  // namespace roadsum
