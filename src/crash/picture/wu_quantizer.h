// Xiaolin Wu's colour quantiser: the colour cube at 5 bits per channel, its moments in
// 33 x 33 x 33 tables, boxes cut where the summed squared error drops most, one palette entry
// per box; every pixel then takes the nearest palette entry through a lookup table over the
// 32768 cells of the cube.
#pragma once

#include <cstdint>
#include <vector>

#include "crash/common/pixel_image.h"

namespace roadsum {

struct IndexedImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> palette;  // 0x00RRGGBB
    std::vector<std::uint8_t> indices;   // one per pixel, rows top-down
};

// At most max_colours entries (1 to 256); fewer when the picture has fewer distinct cells.
// An empty picture gives an empty result. Throws std::bad_alloc when memory runs out.
IndexedImage quantize_wu(const PixelImage& image, int max_colours = 256);

}  // namespace roadsum
