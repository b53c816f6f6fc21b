// nox-png's BMP reader on any input; what it reads writes back as the same picture, and small
// pictures go on through the zoom and both PNG forms.
#include <cstddef>
#include <cstdint>

#include "crash/picture/bmp_file.h"
#include "crash/picture/mitchell_zoom.h"
#include "crash/picture/png_encoding.h"

namespace {

void check(bool condition) {
    if (!condition) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const roadsum::BmpReadResult r = roadsum::read_bmp({data, size});
    check(r.image.has_value() == r.error.empty());
    if (!r.image) return 0;
    const roadsum::PixelImage& image = *r.image;
    check(image.width > 0 && image.height > 0);
    check(image.pixels.size() == static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height));
    if (image.pixels.size() > 1 << 16) return 0;  // large pictures would only slow the search
    const std::string bmp = roadsum::write_bmp(image);
    const roadsum::BmpReadResult again = roadsum::read_bmp(roadsum::bytes_of(bmp));
    check(again.image && *again.image == image);
    check(roadsum::encode_png(image, 1).starts_with("\x89PNG"));
    check(roadsum::encode_png(image, 2).starts_with("\x89PNG"));
    const roadsum::PixelImage zoomed = roadsum::zoom_mitchell(image, image.width / 2 + 1, image.height * 2);
    check(zoomed.width == image.width / 2 + 1 && zoomed.height == image.height * 2);
    return 0;
}
