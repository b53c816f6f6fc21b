#include "toolkit/dib.h"

#include <algorithm>
#include <cstdio>

namespace roadsum {

namespace {

// 24-bit rows; a negative height puts the top row first.
BITMAPINFO Info24(int width, int height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

}  // namespace

TDib24::TDib24(int width, int height)
    : width_(std::max(width, 1)), height_(std::max(height, 1)), stride_((width_ * 3 + 3) & ~3) {
    BITMAPINFO info = Info24(width_, -height_);
    void* bits = nullptr;
    bitmap_.reset(CreateDIBSection(dc_.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    bits_ = static_cast<std::uint8_t*>(bits);
    old_bitmap_ = SelectObject(dc_.get(), bitmap_.get());
}

std::unique_ptr<TDib24> TDib24::FromBitmap(HBITMAP picture) {
    BITMAP info{};
    if (!picture || !GetObjectA(picture, sizeof info, &info) || info.bmWidth <= 0 || info.bmHeight == 0) return nullptr;
    const int width = info.bmWidth, height = info.bmHeight < 0 ? -info.bmHeight : info.bmHeight;
    auto copy = std::make_unique<TDib24>(width, height);
    std::uint8_t* bits = copy->Bits();
    if (!bits) return nullptr;
    // Read as 24-bit top-down rows, the copy's own layout, whatever the picture's format.
    BITMAPINFO bi = Info24(width, -height);
    const ClientDC screen(nullptr);
    if (GetDIBits(screen.get(), picture, 0, height, bits, &bi, DIB_RGB_COLORS) != height) return nullptr;
    return copy;
}

TDib24::~TDib24() {
    if (old_bitmap_) SelectObject(dc_.get(), old_bitmap_);
}

std::uint8_t* TDib24::Bits() const {
    GdiFlush();
    return bits_;
}

TColor TDib24::Pixel(int x, int y) const {
    if (!bits_ || x < 0 || y < 0 || x >= width_ || y >= height_) return clNone;
    GdiFlush();
    const std::uint8_t* p = Row(y) + x * 3;
    return RGBColor(p[2], p[1], p[0]);
}

void TDib24::SetPixel(int x, int y, TColor rgb) {
    if (!bits_ || x < 0 || y < 0 || x >= width_ || y >= height_) return;
    GdiFlush();
    std::uint8_t* p = Row(y) + x * 3;
    p[0] = static_cast<std::uint8_t>(BlueOf(rgb));
    p[1] = static_cast<std::uint8_t>(GreenOf(rgb));
    p[2] = static_cast<std::uint8_t>(RedOf(rgb));
}

void TDib24::Fill(TColor rgb) {
    if (!Bits()) return;
    for (int y = 0; y < height_; ++y) {
        std::uint8_t* p = Row(y);
        for (int x = 0; x < width_; ++x, p += 3) {
            p[0] = static_cast<std::uint8_t>(BlueOf(rgb));
            p[1] = static_cast<std::uint8_t>(GreenOf(rgb));
            p[2] = static_cast<std::uint8_t>(RedOf(rgb));
        }
    }
}

bool TDib24::SaveToFile(const std::string& path) const {
    if (!bits_) return false;
    GdiFlush();
    DWORD size = static_cast<DWORD>(stride_) * height_;
    BITMAPINFOHEADER info = Info24(width_, height_).bmiHeader;  // rows bottom-up, as every reader expects
    info.biSizeImage = size;
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;  // "BM"
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + size;
    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (!out) return false;
    // Unbuffered, so that a write the disk refuses fails where it is made: not every C
    // library reports a failed flush when the file is closed.
    std::setvbuf(out, nullptr, _IONBF, 0);
    bool written = std::fwrite(&file, sizeof file, 1, out) == 1 && std::fwrite(&info, sizeof info, 1, out) == 1;
    for (int y = height_ - 1; written && y >= 0; --y) written = std::fwrite(Row(y), stride_, 1, out) == 1;
    // A full disk may only show when the file is closed.
    return std::fclose(out) == 0 && written;
}

}  // namespace roadsum
