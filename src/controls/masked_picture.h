// Small pictures with a mask, as the glyph button keeps them, and the grey and disabled
// forms made from them.
#pragma once

#include <cstdint>
#include <vector>

#include "toolkit/color.h"

namespace roadsum {

struct MaskedPicture {
    int width = 0, height = 0;
    std::vector<TColor> pixels;        // plain RGB, top row first
    std::vector<std::uint8_t> opaque;  // 1 where the picture is drawn

    bool Empty() const { return width <= 0 || height <= 0; }
    TColor Pixel(int x, int y) const { return pixels[Index(x, y)]; }
    bool Opaque(int x, int y) const { return opaque[Index(x, y)] != 0; }
    std::size_t Index(int x, int y) const { return static_cast<std::size_t>(y) * width + x; }
};

// Cuts the cell of `cell_width` at x = `left` out of a picture `width` x `height` (plain
// RGB, top row first); pixels of the transparent colour are left out.
MaskedPicture CutCell(const std::vector<TColor>& pixels, int width, int height, int left, int cell_width,
                      TColor transparent);

// The grey level of a colour by the luminance weights of the eye.
int GreyLevel(TColor rgb);
// The picture in grey levels, with the same mask.
MaskedPicture GreyCopy(const MaskedPicture& picture);

// The shape that the disabled look etches: the pixels that are neither white nor the colour
// of the top-left pixel, 1 where the shape is.
std::vector<std::uint8_t> DisabledShape(const MaskedPicture& picture);

}  // namespace roadsum
