// The screenshot's bitmap (noxNVBitmap): a true-colour picture that draws itself, zooms and
// turns into BMP and PNG files.
#pragma once

#include <memory>
#include <string>

#include "crash/common/pixel_image.h"

namespace roadsum {

// A device context (HDC) where there is one; the portable code only passes it on.
using NativeDC = void*;

class INVBitmap {
public:
    virtual ~INVBitmap() = default;
    virtual int Width() const = 0;
    virtual int Height() const = 0;
    virtual const PixelImage& Pixels() const = 0;
    // Copies the picture to (x, y) of the device context at its own size; false without a
    // device or when the system refuses.
    virtual bool Draw(NativeDC dc, int x, int y) const = 0;
    // A new bitmap resampled to the size; null when a side is not positive or memory runs out.
    virtual std::shared_ptr<INVBitmap> Zoom(int width, int height) const = 0;
    // A 24-bit Windows bitmap file.
    virtual std::string AsBmpStr() const = 0;
    // A PNG file in one of the screenshot formats (see png_encoding.h).
    virtual std::string AsPngStr(int format) const = 0;
    // Whole files or none; false when nothing could be written.
    virtual bool SaveAsBmp(const std::string& path) const = 0;
    virtual bool SaveAsPng(const std::string& path, int format) const = 0;
};

class TINVBitmap final : public INVBitmap {
public:
    explicit TINVBitmap(PixelImage pixels) : pixels_(std::move(pixels)) {}

    int Width() const override { return pixels_.width; }
    int Height() const override { return pixels_.height; }
    const PixelImage& Pixels() const override { return pixels_; }
    bool Draw(NativeDC dc, int x, int y) const override;
    std::shared_ptr<INVBitmap> Zoom(int width, int height) const override;
    std::string AsBmpStr() const override;
    std::string AsPngStr(int format) const override;
    bool SaveAsBmp(const std::string& path) const override;
    bool SaveAsPng(const std::string& path, int format) const override;

private:
    PixelImage pixels_;
};

}  // namespace roadsum
