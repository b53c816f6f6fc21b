#include "toolkit/canvas.h"

namespace roadsum {

COLORREF ColorToRGB(TColor color) {
    if (IsSystemColor(color)) return GetSysColor(color & 0xFF);
    return static_cast<COLORREF>(color) & 0xFFFFFF;
}

TCanvas::TCanvas(HDC dc) : dc_(dc), saved_(dc) { SetBkMode(dc_, TRANSPARENT); }

void TCanvas::SetPen(TColor color, int width, int style) {
    HPEN pen = color == clNone ? static_cast<HPEN>(GetStockObject(NULL_PEN))
                               : CreatePen(style, width, ColorToRGB(color));
    SelectObject(dc_, pen);
    pen_.reset(color == clNone ? nullptr : pen);
}

void TCanvas::SetPen(const TPen& pen) {
    static const int styles[] = {PS_SOLID, PS_DASH, PS_DOT, PS_DASHDOT, PS_DASHDOTDOT, PS_NULL, PS_INSIDEFRAME};
    int style = styles[static_cast<int>(pen.Style())];
    SetPen(style == PS_NULL ? clNone : pen.Color(), pen.Width(), style);
}

void TCanvas::SetBrush(TColor color) {
    HBRUSH brush = color == clNone ? static_cast<HBRUSH>(GetStockObject(NULL_BRUSH))
                                   : CreateSolidBrush(ColorToRGB(color));
    SelectObject(dc_, brush);
    brush_.reset(color == clNone ? nullptr : brush);
}

void TCanvas::SetFont(const TFont& font) {
    SelectObject(dc_, font.Handle());
    SetTextColor(font.Color());
}

void TCanvas::SetTextColor(TColor color) {
    ::SetTextColor(dc_, ColorToRGB(color));
}

void TCanvas::FillRect(const RECT& r) { ::FillRect(dc_, &r, static_cast<HBRUSH>(GetCurrentObject(dc_, OBJ_BRUSH))); }

void TCanvas::FrameRect(const RECT& r) {
    ::FrameRect(dc_, &r, static_cast<HBRUSH>(GetCurrentObject(dc_, OBJ_BRUSH)));
}

void TCanvas::Rectangle(const RECT& r) { ::Rectangle(dc_, r.left, r.top, r.right, r.bottom); }

void TCanvas::Polygon(const std::vector<POINT>& points) {
    if (!points.empty()) ::Polygon(dc_, points.data(), static_cast<int>(points.size()));
}

void TCanvas::Polyline(const std::vector<POINT>& points) {
    if (!points.empty()) ::Polyline(dc_, points.data(), static_cast<int>(points.size()));
}

void TCanvas::Line(int x1, int y1, int x2, int y2) {
    MoveToEx(dc_, x1, y1, nullptr);
    LineTo(dc_, x2, y2);
}

void TCanvas::Pixel(int x, int y, TColor color) { SetPixel(dc_, x, y, ColorToRGB(color)); }

void TCanvas::FillRegion(HRGN region) {
    ::FillRgn(dc_, region, static_cast<HBRUSH>(GetCurrentObject(dc_, OBJ_BRUSH)));
}

void TCanvas::Ellipse(const RECT& r) { ::Ellipse(dc_, r.left, r.top, r.right, r.bottom); }

void TCanvas::RoundRect(const RECT& r, int corner_width, int corner_height) {
    ::RoundRect(dc_, r.left, r.top, r.right, r.bottom, corner_width, corner_height);
}

void TCanvas::Pie(const RECT& r, int x1, int y1, int x2, int y2) {
    ::Pie(dc_, r.left, r.top, r.right, r.bottom, x1, y1, x2, y2);
}

void TCanvas::Arc(const RECT& r, int x1, int y1, int x2, int y2) {
    ::Arc(dc_, r.left, r.top, r.right, r.bottom, x1, y1, x2, y2);
}

void TCanvas::Frame3D(RECT& r, TColor top_left, TColor bottom_right, int width, unsigned sides) {
    auto fill = [&](TColor color, int left, int top, int right, int bottom) {
        if (color == clNone || right <= left || bottom <= top) return;
        Brush brush(CreateSolidBrush(ColorToRGB(color)));
        RECT edge = {left, top, right, bottom};
        ::FillRect(dc_, &edge, brush.get());
    };
    for (int i = 0; i < width; ++i) {
        if (r.right - r.left <= 0 || r.bottom - r.top <= 0) {
            InflateRect(&r, i - width, i - width);  // nothing left to paint on
            break;
        }
        if (sides & 2) fill(top_left, r.left, r.top, r.right - 1, r.top + 1);
        if (sides & 1) fill(top_left, r.left, r.top, r.left + 1, r.bottom - 1);
        if (sides & 4) fill(bottom_right, r.right - 1, r.top, r.right, r.bottom);
        if (sides & 8) fill(bottom_right, r.left, r.bottom - 1, r.right, r.bottom);
        InflateRect(&r, -1, -1);
    }
}

void TCanvas::FrameRegion(HRGN region, int width, int height) {
    ::FrameRgn(dc_, region, static_cast<HBRUSH>(GetCurrentObject(dc_, OBJ_BRUSH)), width, height);
}

void TCanvas::TextOut(int x, int y, std::string_view text) {
    ::TextOutA(dc_, x, y, text.data(), static_cast<int>(text.size()));
}

int TCanvas::DrawText(std::string_view text, RECT& r, UINT format) {
    return ::DrawTextA(dc_, text.data(), static_cast<int>(text.size()), &r, format);
}

void TCanvas::DrawCaption(std::string_view text, RECT r, UINT format, bool enabled) {
    if (!enabled) {
        OffsetRect(&r, 1, 1);
        SetTextColor(clBtnHighlight);
        DrawText(text, r, format);
        OffsetRect(&r, -1, -1);
        SetTextColor(clBtnShadow);
    }
    DrawText(text, r, format);
}

SIZE TCanvas::TextExtent(std::string_view text) const {
    SIZE size{};
    GetTextExtentPoint32A(dc_, text.data(), static_cast<int>(text.size()), &size);
    return size;
}

void TCanvas::Draw(int x, int y, HDC source, int width, int height, DWORD rop) {
    BitBlt(dc_, x, y, width, height, source, 0, 0, rop);
}

}  // namespace roadsum
