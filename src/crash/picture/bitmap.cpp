#include "crash/picture/bitmap.h"

#include <new>

#include "crash/picture/bmp_file.h"
#include "crash/picture/mitchell_zoom.h"
#include "crash/picture/png_encoding.h"
#include "crash/picture/whole_file.h"

namespace roadsum {
namespace {

bool save(const std::string& path, const std::string& bytes) { return !bytes.empty() && write_whole_file(path, bytes); }

}  // namespace

std::shared_ptr<INVBitmap> TINVBitmap::Zoom(int width, int height) const {
    try {
        PixelImage zoomed = zoom_mitchell(pixels_, width, height);
        if (zoomed.empty()) return nullptr;
        return std::make_shared<TINVBitmap>(std::move(zoomed));
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

std::string TINVBitmap::AsBmpStr() const {
    try {
        return write_bmp(pixels_);
    } catch (const std::bad_alloc&) {
        return {};
    }
}

std::string TINVBitmap::AsPngStr(int format) const { return encode_png(pixels_, format); }

bool TINVBitmap::SaveAsBmp(const std::string& path) const { return save(path, AsBmpStr()); }

bool TINVBitmap::SaveAsPng(const std::string& path, int format) const { return save(path, AsPngStr(format)); }

}  // namespace roadsum
