// Pictures in memory onto device contexts and back, for the reporter's windows and its
// screenshot: the pixel layout is that of a top-down 32-bit device-independent bitmap.
#pragma once

#include <windows.h>

#include "crash/common/pixel_image.h"

namespace roadsum {

inline BITMAPINFO top_down_32bit_info(int width, int height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

// The picture stretched (or not) into the rectangle; false when the system refuses.
inline bool draw_pixels(HDC dc, const PixelImage& image, int x, int y, int width, int height) {
    if (image.empty()) return false;
    const BITMAPINFO info = top_down_32bit_info(image.width, image.height);
    if (width != image.width || height != image.height) {
        SetStretchBltMode(dc, HALFTONE);
        SetBrushOrgEx(dc, 0, 0, nullptr);
    }
    return StretchDIBits(dc, x, y, width, height, 0, 0, image.width, image.height, image.pixels.data(), &info,
                         DIB_RGB_COLORS, SRCCOPY) != 0;
}

// The pixels of a bitmap handle (not selected into a context); empty when it cannot be read.
inline PixelImage pixels_of_bitmap(HBITMAP bitmap) {
    BITMAP b{};
    if (!bitmap || !GetObject(bitmap, sizeof b, &b) || b.bmWidth <= 0 || b.bmHeight <= 0) return {};
    PixelImage image(b.bmWidth, b.bmHeight);
    BITMAPINFO info = top_down_32bit_info(image.width, image.height);
    HDC screen = GetDC(nullptr);
    const int rows = GetDIBits(screen, bitmap, 0, static_cast<UINT>(image.height), image.pixels.data(), &info, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    if (rows != image.height) return {};
    for (std::uint32_t& p : image.pixels) p &= 0x00FFFFFFu;
    return image;
}

}  // namespace roadsum
