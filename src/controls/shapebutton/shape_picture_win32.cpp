#include "controls/shapebutton/shape_picture_win32.h"

#include <cstring>
#include <vector>

#include "controls/shapebutton/region_string.h"

namespace roadsum {

std::unique_ptr<TDib24> CopyPicture(HBITMAP picture) {
    BITMAP info{};
    if (!picture || !GetObjectA(picture, sizeof info, &info) || info.bmWidth <= 0 || info.bmHeight == 0) return nullptr;
    const int width = info.bmWidth, height = info.bmHeight < 0 ? -info.bmHeight : info.bmHeight;
    auto copy = std::make_unique<TDib24>(width, height);
    std::uint8_t* bits = copy->Bits();
    if (!bits) return nullptr;
    // Read as 24-bit top-down rows, the copy's own layout, whatever the picture's format.
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = -height;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 24;
    bi.bmiHeader.biCompression = BI_RGB;
    const ClientDC screen(nullptr);
    if (GetDIBits(screen.get(), picture, 0, height, bits, &bi, DIB_RGB_COLORS) != height) return nullptr;
    return copy;
}

ImageView PixelsOf(const TDib24* bitmap) {
    if (!bitmap) return {};
    return {bitmap->Bits(), bitmap->Width(), bitmap->Height(), bitmap->Stride()};
}

Region RegionOfRectangles(std::span<const Rect> rectangles) {
    if (rectangles.empty()) return Region(CreateRectRgn(0, 0, 0, 0));
    const std::vector<std::uint8_t> data = RegionData(rectangles);
    // DWORD storage keeps the header and rectangles aligned.
    std::vector<DWORD> aligned((data.size() + sizeof(DWORD) - 1) / sizeof(DWORD));
    std::memcpy(aligned.data(), data.data(), data.size());
    return Region(ExtCreateRegion(nullptr, static_cast<DWORD>(data.size()), reinterpret_cast<const RGNDATA*>(aligned.data())));
}

Region CopyRegion(HRGN region) {
    if (!region) return {};
    Region copy(CreateRectRgn(0, 0, 0, 0));
    if (copy && CombineRgn(copy.get(), region, nullptr, RGN_COPY) == ERROR) copy.reset();
    return copy;
}

}  // namespace roadsum
