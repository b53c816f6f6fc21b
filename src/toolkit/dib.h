// A 24-bit device-independent bitmap with its own memory device context: the off-screen
// surface of controls that paint pixel by pixel, and of tests that inspect painting.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "toolkit/color.h"
#include "toolkit/gdi.h"

namespace roadsum {

class TDib24 {
public:
    TDib24(int width, int height);
    // A copy of a bitmap of any format; null for no bitmap, an empty one, or one unreadable.
    static std::unique_ptr<TDib24> FromBitmap(HBITMAP picture);
    TDib24(const TDib24&) = delete;
    TDib24& operator=(const TDib24&) = delete;
    ~TDib24();

    int Width() const { return width_; }
    int Height() const { return height_; }
    HDC DC() const { return dc_.get(); }
    HBITMAP Handle() const { return bitmap_.get(); }

    // The pixel rows, top row first, Stride() bytes apart, 3 bytes (blue, green, red) a pixel;
    // null when the bitmap could not be made. Drawing through DC() is finished first.
    std::uint8_t* Bits() const;
    int Stride() const { return stride_; }

    // Direct pixel access, top row first; out-of-range reads give clNone.
    TColor Pixel(int x, int y) const;
    void SetPixel(int x, int y, TColor rgb);
    void Fill(TColor rgb);
    // Writes the picture as a 24-bit bitmap file; false when the file cannot be written.
    bool SaveToFile(const std::string& path) const;

private:
    std::uint8_t* Row(int y) const { return bits_ + static_cast<std::size_t>(y) * stride_; }

    int width_, height_, stride_;
    MemoryDC dc_;
    Bitmap bitmap_;
    HGDIOBJ old_bitmap_ = nullptr;
    std::uint8_t* bits_ = nullptr;
};

}  // namespace roadsum
