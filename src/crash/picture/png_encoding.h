// A screenshot as PNG in one of the formats the settings choose: 1 grey only; 2 to 5 colour,
// with the grey form made too when the colour file is larger than 50, 100, 200 or 300 KB, the
// smaller of the two winning; any other value colour only. Colour is 256 entries from Wu's
// quantiser at bit depth 8, grey the 16 levels at bit depth 4. When the colour form cannot be
// made, the grey one is taken.
#pragma once

#include <cstddef>
#include <string>

#include "crash/common/pixel_image.h"

namespace roadsum {

// The colour size above which format 2, 3, 4 or 5 tries grey as well; 0 for other formats.
std::size_t png_grey_threshold(int format);

// Empty for an empty picture or when neither form can be made. Never throws.
std::string encode_png(const PixelImage& image, int format);

std::string encode_colour_png(const PixelImage& image);  // empty when it cannot be made
std::string encode_grey_png(const PixelImage& image);    // empty when it cannot be made

}  // namespace roadsum
