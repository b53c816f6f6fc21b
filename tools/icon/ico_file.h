// Windows icon files: several images of one picture, each at its size and colour depth.
#pragma once

#include <cstdint>
#include <vector>

namespace roadsum::art {

struct IconImage {
    int size = 0;                       // width and height in pixels (1 to 256)
    std::vector<std::uint32_t> pixels;  // 0xAARRGGBB, top row first
};

// 32 bits: colour with alpha. 8 bits: 256 colours from the picture's own palette, with
// pixels of alpha below one half transparent through the mask.
enum class IconDepth { Colours256, Argb32 };

std::vector<std::uint8_t> ico_file(const std::vector<std::pair<IconImage, IconDepth>>& images);

// The 256-colour form of a picture: a palette of at most 256 colours (0x00RRGGBB) and an index
// per pixel; transparent pixels take index 0.
struct Palettised {
    std::vector<std::uint32_t> palette;
    std::vector<std::uint8_t> indexes;
};
Palettised palettise(const std::vector<std::uint32_t>& pixels);

}  // namespace roadsum::art
