// Drawing on a device context with a current pen, brush and font; restores the context's
// own objects when it goes away.
#pragma once

#include <windows.h>

#include <string_view>
#include <vector>

#include "toolkit/color.h"
#include "toolkit/font.h"
#include "toolkit/gdi.h"
#include "toolkit/pen.h"

namespace roadsum {

COLORREF ColorToRGB(TColor color);

class TCanvas {
public:
    explicit TCanvas(HDC dc);  // borrowed
    TCanvas(const TCanvas&) = delete;
    TCanvas& operator=(const TCanvas&) = delete;

    HDC Handle() const { return dc_; }

    void SetPen(TColor color, int width = 1, int style = PS_SOLID);
    void SetPen(const TPen& pen);
    void SetBrush(TColor color);  // clNone: hollow brush
    void SetFont(const TFont& font);
    void SetTextColor(TColor color);

    void FillRect(const RECT& r);  // with the brush
    void FrameRect(const RECT& r);  // one pixel, with the brush
    void Rectangle(const RECT& r);  // outline with the pen, inside with the brush
    void Polygon(const std::vector<POINT>& points);
    void Polyline(const std::vector<POINT>& points);
    void Line(int x1, int y1, int x2, int y2);  // the last point is not drawn
    void Pixel(int x, int y, TColor color);
    void FillRegion(HRGN region);
    // Closed figures: outline with the pen, inside with the brush.
    void Ellipse(const RECT& r);
    void RoundRect(const RECT& r, int corner_width, int corner_height);
    // Arcs and pies run counter-clockwise from the radial through (x1, y1) to the one
    // through (x2, y2).
    void Pie(const RECT& r, int x1, int y1, int x2, int y2);
    void Arc(const RECT& r, int x1, int y1, int x2, int y2);
    // `width` one-pixel rings from the outside in: top and left edges in one colour, bottom
    // and right (with their far corners) in the other; clNone leaves edges out. Sides are
    // TAnchorKind-like bits: 1 left, 2 top, 4 right, 8 bottom. Shrinks r by the width.
    void Frame3D(RECT& r, TColor top_left, TColor bottom_right, int width, unsigned sides = 15);
    // The region's border, `width` x `height` pixels, with the brush.
    void FrameRegion(HRGN region, int width = 1, int height = 1);

    // Text drawn with a transparent background in the font's colour.
    void TextOut(int x, int y, std::string_view text);
    int DrawText(std::string_view text, RECT& r, UINT format);  // DrawTextA flags
    // A caption in the current text colour, or, disabled, in the platform's look of disabled
    // text: a light copy below and right of a dark one.
    void DrawCaption(std::string_view text, RECT r, UINT format, bool enabled);
    SIZE TextExtent(std::string_view text) const;

    void Draw(int x, int y, HDC source, int width, int height, DWORD rop = SRCCOPY);

private:
    HDC dc_;
    Pen pen_;
    Brush brush_;
    SavedDC saved_;  // last, so the context lets go of the pen and brush before they are deleted
};

}  // namespace roadsum
