// PNG files of palette pictures: the signature, IHDR, PLTE, one IDAT and IEND. Every row has
// filter type 0; the image data is a zlib stream (header 78 01, raw deflate, Adler-32).
#pragma once

#include <cstdint>
#include <string>

#include "crash/common/byte_view.h"
#include "crash/picture/wu_quantizer.h"

namespace roadsum {

std::uint32_t adler32(ByteView bytes, std::uint32_t adler = 1);

// Bit depth 8 for more than 16 palette entries, else 4 (two pixels a byte, the first in the
// high nibble). Empty when the picture or its palette is empty, the palette has more than
// 256 entries, an index lies outside it, or compression fails. Throws std::bad_alloc when
// memory runs out.
std::string write_indexed_png(const IndexedImage& image);

}  // namespace roadsum
