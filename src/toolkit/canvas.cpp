#include "toolkit/canvas.h"

namespace roadsum {

COLORREF ColorToRGB(TColor color) {
    if (IsSystemColor(color)) return GetSysColor(color & 0xFF);
    return static_cast<COLORREF>(color) & 0xFFFFFF;
}

TCanvas::TCanvas(HDC dc) : dc_(dc), saved_(SaveDC(dc)) {
    SetBkMode(dc_, TRANSPARENT);
}

TCanvas::~TCanvas() { RestoreDC(dc_, saved_); }

void TCanvas::SetPen(TColor color, int width, int style) {
    HPEN pen = color == clNone ? static_cast<HPEN>(GetStockObject(NULL_PEN))
                               : CreatePen(style, width, ColorToRGB(color));
    SelectObject(dc_, pen);
    pen_.reset(color == clNone ? nullptr : pen);
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
    text_color_ = color;
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

TColor TCanvas::PixelColor(int x, int y) const { return static_cast<TColor>(GetPixel(dc_, x, y)); }

void TCanvas::FillRegion(HRGN region) {
    ::FillRgn(dc_, region, static_cast<HBRUSH>(GetCurrentObject(dc_, OBJ_BRUSH)));
}

void TCanvas::FrameRegion(HRGN region, int width, int height) {
    ::FrameRgn(dc_, region, static_cast<HBRUSH>(GetCurrentObject(dc_, OBJ_BRUSH)), width, height);
}

void TCanvas::Ellipse(const RECT& r) { ::Ellipse(dc_, r.left, r.top, r.right, r.bottom); }

void TCanvas::TextOut(int x, int y, std::string_view text) {
    ::TextOutA(dc_, x, y, text.data(), static_cast<int>(text.size()));
}

int TCanvas::DrawText(std::string_view text, RECT& r, UINT format) {
    return ::DrawTextA(dc_, text.data(), static_cast<int>(text.size()), &r, format);
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
