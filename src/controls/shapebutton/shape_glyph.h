// Glyph strips on the shaped button: which cell of the main glyph strip a state shows and
// where, where an animation frame goes, and the pixel copies that put them on a 24-bit image.
#pragma once

#include <cstdint>
#include <vector>

#include "controls/geometry.h"
#include "controls/shapebutton/shape_geometry.h"
#include "controls/shapebutton/shape_types.h"
#include "toolkit/color.h"

namespace roadsum {

// A 24-bit image in memory: rows top-down, `stride` bytes apart, pixels blue, green, red.
struct ImageView {
    std::uint8_t* bits = nullptr;
    std::int32_t width = 0, height = 0, stride = 0;

    bool empty() const { return bits == nullptr || width <= 0 || height <= 0; }
    TColor pixel(std::int32_t x, std::int32_t y) const;  // an RGB value
    void set_pixel(std::int32_t x, std::int32_t y, TColor rgb);
};

enum class BlitMode {
    Copy,         // every pixel
    Transparent,  // pixels of the source's (0, 0) colour are left out
    MergeCopy,    // every pixel, each channel ANDed with `mask`, as the merge-copy raster operation does
};

// Copies the pixels of `from` that lie inside `clip` and inside the source to `target`, the
// corner (from.left, from.top) going to (x, y); pixels falling outside the target are dropped.
void BlitPixels(const ImageView& source, Rect from, Rect clip, ImageView target, std::int32_t x,
                std::int32_t y, BlitMode mode, TColor mask = 0);

// One drawing of a glyph cell: the source rectangle in the strip, the cell it may read from,
// the destination of the source's top-left corner, and whether it is merged with the face
// brush (the disabled look of a single glyph).
struct GlyphDraw {
    Rect source, cell;
    std::int32_t x = 0, y = 0;
    bool merge = false;
    friend bool operator==(const GlyphDraw&, const GlyphDraw&) = default;
};

struct MainGlyphState {
    std::int32_t glyphs = 1;                 // MainBitmapGlyphs, 1 ... 4
    std::int32_t strip_width = 0, strip_height = 0;
    FrameSize frame;
    TShapeHAlign halign = TShapeHAlign::haLeft;
    TShapeVAlign valign = TShapeVAlign::vaTop;
    std::int32_t left = 5, top = 5;          // BitmapLeft, BitmapTop
    std::int32_t depth = 2;
    bool pressed = false, enabled = true, mouse_over = false;
};

// The cells to draw, in order: cell 0 normally, cell 1 disabled (cell 0 merged when the strip
// has one cell), cell 2 under the mouse (with three cells or more), cell 3 pressed (with four;
// otherwise cell 0), a pressed glyph one pixel right and down. Nothing for an empty strip.
std::vector<GlyphDraw> MainGlyphDraws(const MainGlyphState& state);

// Frame `frame` of an animation strip of `glyphs` cells, drawn on a control of the given size:
// the source rectangle reaches down to the control's height and is clipped to the strip.
struct AnimationFrame {
    std::int32_t glyphs = 1, frame = 0;
    std::int32_t strip_width = 0, strip_height = 0;
    FrameSize control;
    TShapeHAlign halign = TShapeHAlign::haLeft;
    TShapeVAlign valign = TShapeVAlign::vaTop;
    std::int32_t left = 5, top = 5, depth = 2;
};
GlyphDraw AnimationFrameDraw(const AnimationFrame& frame);

}  // namespace roadsum
