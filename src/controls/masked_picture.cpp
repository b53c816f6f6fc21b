#include "controls/masked_picture.h"

#include <algorithm>

namespace roadsum {

MaskedPicture CutCell(const std::vector<TColor>& pixels, int width, int height, int left, int cell_width,
                      TColor transparent) {
    MaskedPicture cell;
    if (width <= 0 || height <= 0 || pixels.size() < static_cast<std::size_t>(width) * height) return cell;
    left = std::clamp(left, 0, width);
    cell_width = std::clamp(cell_width, 0, width - left);
    cell.width = cell_width;
    cell.height = cell_width > 0 ? height : 0;
    for (int y = 0; y < cell.height; ++y)
        for (int x = 0; x < cell.width; ++x) {
            TColor c = pixels[static_cast<std::size_t>(y) * width + left + x] & 0xFFFFFF;
            cell.pixels.push_back(c);
            cell.opaque.push_back(c != (transparent & 0xFFFFFF));
        }
    return cell;
}

int GreyLevel(TColor rgb) { return (30 * RedOf(rgb) + 59 * GreenOf(rgb) + 11 * BlueOf(rgb)) / 100; }

MaskedPicture GreyCopy(const MaskedPicture& picture) {
    MaskedPicture grey = picture;
    for (TColor& c : grey.pixels) {
        int level = GreyLevel(c);
        c = RGBColor(level, level, level);
    }
    return grey;
}

std::vector<std::uint8_t> DisabledShape(const MaskedPicture& picture) {
    std::vector<std::uint8_t> shape(picture.pixels.size(), 0);
    if (picture.Empty()) return shape;
    TColor background = picture.Pixel(0, 0);
    for (std::size_t i = 0; i < picture.pixels.size(); ++i)
        shape[i] = picture.pixels[i] != clWhite && picture.pixels[i] != background;
    return shape;
}

}  // namespace roadsum
