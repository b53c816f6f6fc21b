// A small picture of one or more equal cells side by side, drawn with its transparent
// colour (the bottom-left pixel) left out, as button glyphs are.
#pragma once

#include <windows.h>

#include <vector>

#include "toolkit/color.h"

namespace roadsum {

class TGlyph {
public:
    TGlyph() = default;
    // Copies the pixels of a bitmap handle (not kept).
    static TGlyph FromBitmap(HBITMAP bitmap);
    // A bitmap resource of the executable; empty when it is missing.
    static TGlyph FromResource(const char* name);

    bool Empty() const { return width_ == 0 || height_ == 0; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    TColor Pixel(int x, int y) const { return pixels_[static_cast<std::size_t>(y) * width_ + x]; }
    const std::vector<TColor>& Pixels() const { return pixels_; }  // rows, top first
    TColor TransparentColor() const { return Empty() ? clNone : Pixel(0, height_ - 1); }

    // Draws cell `index` of `cells`, its top-left corner at (x, y).
    void Draw(HDC dc, int x, int y, int index, int cells) const;
    // The platform's disabled look: the shape embossed in shadow and highlight colours.
    void DrawDisabled(HDC dc, int x, int y, int index, int cells) const;

private:
    int width_ = 0, height_ = 0;
    std::vector<TColor> pixels_;
};

}  // namespace roadsum
