#include "toolkit/glyph.h"

#include <algorithm>

#include "toolkit/canvas.h"

namespace roadsum {

TGlyph TGlyph::FromBitmap(HBITMAP bitmap) {
    TGlyph glyph;
    BITMAP info{};
    if (!bitmap || !GetObjectA(bitmap, sizeof info, &info) || info.bmWidth <= 0 || info.bmHeight == 0) return glyph;
    int width = info.bmWidth, height = std::abs(info.bmHeight);
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = -height;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    std::vector<DWORD> bits(static_cast<std::size_t>(width) * height);
    HDC dc = GetDC(nullptr);
    int rows = GetDIBits(dc, bitmap, 0, height, bits.data(), &bi, DIB_RGB_COLORS);
    ReleaseDC(nullptr, dc);
    if (rows != height) return glyph;
    glyph.width_ = width;
    glyph.height_ = height;
    glyph.pixels_.reserve(bits.size());
    for (DWORD p : bits) glyph.pixels_.push_back(RGBColor((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF));
    return glyph;
}

TGlyph TGlyph::FromResource(const char* name) {
    HBITMAP bitmap = LoadBitmapA(GetModuleHandleA(nullptr), name);
    TGlyph glyph = FromBitmap(bitmap);
    if (bitmap) DeleteObject(bitmap);
    return glyph;
}

void TGlyph::Draw(HDC dc, int x, int y, int index, int cells) const {
    if (Empty() || cells < 1) return;
    int cell_width = width_ / cells;
    TColor transparent = TransparentColor();
    for (int row = 0; row < height_; ++row)
        for (int col = 0; col < cell_width; ++col) {
            TColor c = Pixel(index * cell_width + col, row);
            if (c != transparent) SetPixelV(dc, x + col, y + row, static_cast<COLORREF>(c));
        }
}

void TGlyph::DrawDisabled(HDC dc, int x, int y, int index, int cells) const {
    if (Empty() || cells < 1) return;
    int cell_width = width_ / cells;
    TColor transparent = TransparentColor();
    for (int pass = 0; pass < 2; ++pass) {
        COLORREF color = ColorToRGB(pass == 0 ? clBtnHighlight : clBtnShadow);
        int shift = pass == 0 ? 1 : 0;
        for (int row = 0; row < height_; ++row)
            for (int col = 0; col < cell_width; ++col)
                if (Pixel(index * cell_width + col, row) != transparent)
                    SetPixelV(dc, x + col + shift, y + row + shift, color);
    }
}

}  // namespace roadsum
