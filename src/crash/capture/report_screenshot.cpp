#include "crash/capture/report_screenshot.h"

#include <cstdint>

namespace roadsum {
namespace {

// The top `bits` bits of the channel, repeated downwards to fill eight.
unsigned keep_bits(unsigned value, int bits) {
    const unsigned top = value >> (8 - bits);
    unsigned out = 0;
    for (int shift = 8 - bits; shift > -bits; shift -= bits)
        out |= shift >= 0 ? top << shift : top >> -shift;
    return out & 0xFFu;
}

}  // namespace

PixelImage ReduceColourDepth(PixelImage picture, int depth) {
    if (depth >= 24 || depth <= 0) return picture;
    int r_bits = 5, g_bits = depth == 16 ? 6 : 5, b_bits = 5;
    if (depth <= 8) r_bits = 3, g_bits = 3, b_bits = 2;
    for (std::uint32_t& p : picture.pixels) {
        if (depth < 8) {
            const unsigned grey = (77 * red_of(p) + 151 * green_of(p) + 28 * blue_of(p)) >> 8;
            const unsigned levels = (1u << depth) - 1;
            const unsigned level = (grey * levels + 127) / 255 * 255 / levels;
            p = rgb_pixel(level, level, level);
        } else {
            p = rgb_pixel(keep_bits(red_of(p), r_bits), keep_bits(green_of(p), g_bits), keep_bits(blue_of(p), b_bits));
        }
    }
    return picture;
}

}  // namespace roadsum
