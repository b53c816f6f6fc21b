#include "toolkit/glyph.h"

#include <algorithm>

#include "toolkit/canvas.h"
#include "toolkit/dib.h"

namespace roadsum {

TGlyph TGlyph::FromBitmap(HBITMAP bitmap) {
    TGlyph glyph;
    std::unique_ptr<TDib24> copy = TDib24::FromBitmap(bitmap);
    if (!copy) return glyph;
    glyph.width_ = copy->Width();
    glyph.height_ = copy->Height();
    glyph.pixels_.reserve(static_cast<std::size_t>(glyph.width_) * glyph.height_);
    const std::uint8_t* bits = copy->Bits();  // blue, green, red; top row first
    for (int y = 0; y < glyph.height_; ++y) {
        const std::uint8_t* p = bits + static_cast<std::size_t>(y) * copy->Stride();
        for (int x = 0; x < glyph.width_; ++x, p += 3) glyph.pixels_.push_back(RGBColor(p[2], p[1], p[0]));
    }
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
