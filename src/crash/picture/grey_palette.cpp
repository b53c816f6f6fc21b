#include "crash/picture/grey_palette.h"

#include <cstdlib>

namespace roadsum {
namespace {

struct GreyTable {
    std::array<std::uint8_t, 256> index{};
    GreyTable() {
        for (unsigned grey = 0; grey < 256; ++grey) {
            unsigned best = 0;
            for (unsigned i = 1; i < kGreyLevels.size(); ++i)
                if (std::abs(int(kGreyLevels[i]) - int(grey)) < std::abs(int(kGreyLevels[best]) - int(grey))) best = i;
            index[grey] = static_cast<std::uint8_t>(best);
        }
    }
};

const GreyTable& grey_table() {
    static const GreyTable table;
    return table;
}

}  // namespace

unsigned grey_level_index(unsigned grey) { return grey_table().index[grey & 0xFF]; }

IndexedImage to_grey_levels(const PixelImage& image) {
    IndexedImage out;
    if (image.empty()) return out;
    out.width = image.width;
    out.height = image.height;
    for (std::uint8_t level : kGreyLevels) out.palette.push_back(rgb_pixel(level, level, level));
    const GreyTable& table = grey_table();
    out.indices.resize(image.pixels.size());
    for (std::size_t i = 0; i < image.pixels.size(); ++i) out.indices[i] = table.index[grey_of(image.pixels[i])];
    return out;
}

}  // namespace roadsum
