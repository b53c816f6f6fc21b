// A true-colour picture in memory, as the screenshot, its PNG and BMP writers and the pages'
// image items share it: 32-bit pixels 0x00RRGGBB, rows top-down. That is also the byte order
// of a 32-bit Windows bitmap, so the window code copies rows without converting them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace roadsum {

struct PixelImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;  // width * height, top row first

    PixelImage() = default;
    PixelImage(int w, int h, std::uint32_t fill = 0)
        : width(w > 0 && h > 0 ? w : 0), height(w > 0 && h > 0 ? h : 0),
          pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), fill) {}

    bool empty() const { return pixels.empty(); }
    std::uint32_t* row(int y) { return pixels.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width); }
    const std::uint32_t* row(int y) const {
        return pixels.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width);
    }
    std::uint32_t at(int x, int y) const { return row(y)[x]; }

    friend bool operator==(const PixelImage&, const PixelImage&) = default;
};

constexpr std::uint32_t rgb_pixel(unsigned r, unsigned g, unsigned b) {
    return (r & 0xFFu) << 16 | (g & 0xFFu) << 8 | (b & 0xFFu);
}
constexpr unsigned red_of(std::uint32_t p) { return p >> 16 & 0xFFu; }
constexpr unsigned green_of(std::uint32_t p) { return p >> 8 & 0xFFu; }
constexpr unsigned blue_of(std::uint32_t p) { return p & 0xFFu; }

}  // namespace roadsum
