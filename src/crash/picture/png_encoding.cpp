#include "crash/picture/png_encoding.h"

#include <new>

#include "crash/picture/grey_palette.h"
#include "crash/picture/png_writer.h"
#include "crash/picture/wu_quantizer.h"

namespace roadsum {

std::size_t png_grey_threshold(int format) {
    switch (format) {
        case 2: return 51200;
        case 3: return 102400;
        case 4: return 204800;
        case 5: return 307200;
        default: return 0;
    }
}

std::string encode_colour_png(const PixelImage& image) {
    try {
        return write_indexed_png(quantize_wu(image));
    } catch (const std::bad_alloc&) {
        return {};
    }
}

std::string encode_grey_png(const PixelImage& image) {
    try {
        return write_indexed_png(to_grey_levels(image));
    } catch (const std::bad_alloc&) {
        return {};
    }
}

std::string encode_png(const PixelImage& image, int format) {
    if (image.empty()) return {};
    if (format == 1) return encode_grey_png(image);
    std::string colour = encode_colour_png(image);
    if (colour.empty()) return encode_grey_png(image);
    const std::size_t threshold = png_grey_threshold(format);
    if (threshold != 0 && colour.size() > threshold) {
        std::string grey = encode_grey_png(image);
        if (!grey.empty() && grey.size() < colour.size()) return grey;
    }
    return colour;
}

}  // namespace roadsum
