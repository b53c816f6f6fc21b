// Windows bitmap files. Written: 24 bits per pixel, rows bottom-up, each padded to 4 bytes,
// with a 40-byte info header, as every reader takes them. Read: 24- and 32-bit files, bottom-up
// or top-down, uncompressed or (32-bit) with bit-field masks.
#pragma once

#include <optional>
#include <string>

#include "crash/common/byte_view.h"
#include "crash/common/pixel_image.h"

namespace roadsum {

// Sizes beyond these are refused as absurd rather than allocated.
inline constexpr int kMaxBmpSide = 32768;
inline constexpr long long kMaxBmpPixels = 1LL << 26;

// Empty for an empty picture. Throws std::bad_alloc when memory runs out.
std::string write_bmp(const PixelImage& image);

struct BmpReadResult {
    std::optional<PixelImage> image;
    std::string error;  // one line, when there is no image
};

// Never throws: a file that is no bitmap, is cut short, has a kind not read here, or sizes
// beyond the limits gets a reason instead of a picture.
BmpReadResult read_bmp(ByteView file);

}  // namespace roadsum
