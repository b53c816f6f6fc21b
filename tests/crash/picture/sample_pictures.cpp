#include "sample_pictures.h"

#include <algorithm>

namespace roadsum::testing {
namespace {

void fill(PixelImage& image, int x0, int y0, int x1, int y1, std::uint32_t colour) {
    x0 = std::max(x0, 0), y0 = std::max(y0, 0), x1 = std::min(x1, image.width), y1 = std::min(y1, image.height);
    for (int y = y0; y < y1; ++y) std::fill(image.row(y) + x0, image.row(y) + std::max(x0, x1), colour);
}

unsigned mix(unsigned a, unsigned b, int i, int n) { return a + (int(b) - int(a)) * i / std::max(n, 1); }

}  // namespace

PixelImage screenshot_like(int width, int height, std::uint32_t seed) {
    Lcg random(seed);
    PixelImage image(width, height);
    for (int y = 0; y < height; ++y)  // the desktop
        fill(image, 0, y, width, y + 1, rgb_pixel(mix(58, 10, y, height), mix(110, 36, y, height), mix(165, 92, y, height)));
    const int windows = 3 + width * height / 200000;
    for (int w = 0; w < windows; ++w) {
        const int ww = width / 3 + random.below(width / 3 + 1), wh = height / 3 + random.below(height / 3 + 1);
        const int x = random.below(std::max(width - ww, 1)), y = random.below(std::max(height - wh, 1));
        fill(image, x, y, x + ww, y + wh, rgb_pixel(160, 160, 160));                 // frame
        fill(image, x + 1, y + 1, x + ww - 1, y + wh - 1, rgb_pixel(236, 233, 216));  // face
        for (int i = 0; i < ww - 8; ++i)                                              // title bar
            fill(image, x + 4 + i, y + 4, x + 5 + i, y + 24, rgb_pixel(mix(0, 166, i, ww), mix(84, 202, i, ww), mix(227, 240, i, ww)));
        fill(image, x + 8, y + 32, x + ww - 8, y + wh - 40, rgb_pixel(255, 255, 255));  // client
        for (int line = y + 38; line + 9 < y + wh - 44; line += 14)                    // text
            for (int cx = x + 12; cx < x + ww - 20; cx += 6 + random.below(3)) {
                if (random.below(7) == 0) { cx += 6; continue; }
                const int top = line + random.below(3), width = 1 + random.below(4);
                const bool blue = random.below(9) == 0;
                fill(image, cx, top, cx + width, line + 9, blue ? rgb_pixel(0, 0, 200) : rgb_pixel(0, 0, 0));
                // Smoothed glyph edges: a fringe in a shade between ink and paper.
                const unsigned shade = 96 + static_cast<unsigned>(random.below(128));
                fill(image, cx + width, top + 1, cx + width + 1, line + 9, blue ? rgb_pixel(shade, shade, 255) : rgb_pixel(shade, shade, shade));
            }
        for (int b = 0; b < 2; ++b) {  // buttons
            const int bx = x + ww - 170 + b * 82, by = y + wh - 32;
            fill(image, bx, by, bx + 75, by + 23, rgb_pixel(64, 64, 64));
            fill(image, bx + 1, by + 1, bx + 74, by + 22, rgb_pixel(240, 240, 240));
        }
        const int icons = 2 + random.below(4);  // icons
        for (int i = 0; i < icons; ++i) {
            const std::uint32_t c = rgb_pixel(random.below(256), random.below(256), random.below(256));
            const int ix = x + 12 + i * 40, iy = y + wh - 36;
            for (int d = 0; d < 16; ++d) fill(image, ix + d, iy + d, ix + 32 - d, iy + d + 1, c);
        }
    }
    // A photo: smooth colours with a little grain.
    const int px = width / 2, py = height / 2, pw = width / 4, ph = height / 4;
    for (int y = 0; y < ph; ++y)
        for (int x = 0; x < pw; ++x) {
            const int grain = random.below(9) - 4;
            auto ch = [&](int v) { return unsigned(std::clamp(v + grain, 0, 255)); };
            image.row(py + y)[px + x] = rgb_pixel(ch(120 + 100 * x / pw), ch(90 + 60 * y / ph), ch(60 + 40 * (x + y) / (pw + ph)));
        }
    return image;
}

PixelImage noise(int width, int height, std::uint32_t seed) {
    Lcg random(seed);
    PixelImage image(width, height);
    for (std::uint32_t& p : image.pixels) p = random.next() & 0xFFFFFF;
    return image;
}

PixelImage rainbow(int width, int height) {
    PixelImage image(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.row(y)[x] = rgb_pixel(255 * x / std::max(width - 1, 1), 255 * y / std::max(height - 1, 1),
                                        255 * (x + y) / std::max(width + height - 2, 1));
    return image;
}

}  // namespace roadsum::testing
