// The grey form of a screenshot: 16 levels, spaced more closely towards white where the eye
// tells them apart better, four bits per pixel in the PNG.
#pragma once

#include <array>
#include <cstdint>

#include "crash/common/pixel_image.h"
#include "crash/picture/wu_quantizer.h"

namespace roadsum {

inline constexpr std::array<std::uint8_t, 16> kGreyLevels = {0,   28,  52,  73,  92,  109, 125, 140,
                                                             155, 170, 185, 199, 213, 227, 241, 255};

// The brightness of a pixel: (77 R + 151 G + 28 B) / 256.
constexpr unsigned grey_of(std::uint32_t pixel) {
    return (77 * red_of(pixel) + 151 * green_of(pixel) + 28 * blue_of(pixel)) / 256;
}

// The index of the level nearest to a brightness (the darker one when two are as near).
unsigned grey_level_index(unsigned grey);

// The picture mapped onto the 16 grey levels; an empty picture gives an empty result.
IndexedImage to_grey_levels(const PixelImage& image);

}  // namespace roadsum
