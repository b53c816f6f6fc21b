#include "controls/shapebutton/shape_glyph.h"

#include <algorithm>

namespace roadsum {
namespace {

std::uint8_t* at(const ImageView& image, std::int32_t x, std::int32_t y) {
    return image.bits + static_cast<std::ptrdiff_t>(y) * image.stride + static_cast<std::ptrdiff_t>(x) * 3;
}

Rect cell_of(std::int32_t index, std::int32_t w, std::int32_t h) {
    const std::int64_t left = static_cast<std::int64_t>(index) * w;
    return {static_cast<std::int32_t>(left), 0, static_cast<std::int32_t>(left + w), h};
}

}  // namespace

TColor ImageView::pixel(std::int32_t x, std::int32_t y) const {
    const std::uint8_t* p = at(*this, x, y);
    return RGBColor(p[2], p[1], p[0]);
}

void ImageView::set_pixel(std::int32_t x, std::int32_t y, TColor rgb) {
    std::uint8_t* p = at(*this, x, y);
    p[0] = static_cast<std::uint8_t>(BlueOf(rgb));
    p[1] = static_cast<std::uint8_t>(GreenOf(rgb));
    p[2] = static_cast<std::uint8_t>(RedOf(rgb));
}

void BlitPixels(const ImageView& source, Rect from, Rect clip, ImageView target, std::int32_t x,
                std::int32_t y, BlitMode mode, TColor mask) {
    if (source.empty() || target.empty()) return;
    const std::int64_t dx = static_cast<std::int64_t>(x) - from.left, dy = static_cast<std::int64_t>(y) - from.top;
    // The source pixels that exist, that the clip allows and whose destination is on the target.
    const std::int64_t left = std::max<std::int64_t>({from.left, clip.left, 0, -dx});
    const std::int64_t top = std::max<std::int64_t>({from.top, clip.top, 0, -dy});
    const std::int64_t right = std::min<std::int64_t>({from.right, clip.right, source.width, target.width - dx});
    const std::int64_t bottom = std::min<std::int64_t>({from.bottom, clip.bottom, source.height, target.height - dy});
    const TColor key = source.pixel(0, 0);
    for (std::int64_t sy = top; sy < bottom; ++sy)
        for (std::int64_t sx = left; sx < right; ++sx) {
            TColor c = source.pixel(static_cast<std::int32_t>(sx), static_cast<std::int32_t>(sy));
            if (mode == BlitMode::Transparent && c == key) continue;
            if (mode == BlitMode::MergeCopy) c &= mask;
            target.set_pixel(static_cast<std::int32_t>(sx + dx), static_cast<std::int32_t>(sy + dy), c);
        }
}

std::vector<GlyphDraw> MainGlyphDraws(const MainGlyphState& s) {
    std::vector<GlyphDraw> draws;
    if (s.strip_height <= 0 || s.glyphs <= 0) return draws;
    const std::int32_t w = s.strip_width / s.glyphs, h = s.strip_height;
    const std::int32_t x = AlignedOffset(s.halign, s.frame.width, w, s.depth, s.left);
    const std::int32_t y = AlignedOffset(s.valign, s.frame.height, h, s.depth, s.top);
    auto cell = [&](std::int32_t index, bool merge = false) {
        const Rect c = cell_of(index, w, h);
        draws.push_back({c, c, x, y, merge});
    };
    if (!s.pressed && s.enabled && !s.mouse_over) cell(0);
    if (!s.enabled) {
        if (s.glyphs < 2)
            cell(0, true);
        else
            cell(1);
    }
    if (!s.pressed && s.enabled && s.mouse_over) cell(s.glyphs < 3 ? 0 : 2);
    if (s.pressed) {
        // Read from one pixel up and left: the glyph shows one pixel right and down, and only
        // its own cell is read, so no column of the neighbouring cell slips in.
        const Rect c = cell_of(s.glyphs == 4 ? 3 : 0, w, h);
        draws.push_back({c.Offset(-1, -1), c, x, y, false});
    }
    return draws;
}

GlyphDraw AnimationFrameDraw(const AnimationFrame& f) {
    if (f.glyphs <= 0) return {};
    const std::int32_t w = f.strip_width / f.glyphs;
    const std::int32_t x = AlignedOffset(f.halign, f.control.width, w, f.depth, f.left);
    const std::int32_t y = AlignedOffset(f.valign, f.control.height, f.strip_height, f.depth, f.top);
    const Rect cell = cell_of(f.frame, w, f.strip_height);
    // The source reaches down to the control's height; the strip ends sooner.
    return {{cell.left, 0, cell.right, f.control.height}, {0, 0, f.strip_width, f.strip_height}, x, y, false};
}

}  // namespace roadsum
