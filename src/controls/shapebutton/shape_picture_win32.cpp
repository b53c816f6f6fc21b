#include "controls/shapebutton/shape_picture_win32.h"

#include <cstring>
#include <vector>

#include "controls/shapebutton/region_string.h"

namespace roadsum {

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
