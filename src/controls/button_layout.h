// The layout rules of the transparent glyph button: where glyph and caption stand, which
// picture shows in which state, and the colours of its frames.
#pragma once

#include <vector>

#include "controls/geometry.h"
#include "toolkit/color.h"

namespace roadsum {

enum class TTextAlign {
    ttaTopLeft, ttaTop, ttaTopRight, ttaRight, ttaBottomRight, ttaBottom, ttaBottomLeft, ttaLeft, ttaCenter
};

enum class TFrameStyle { fsRegular, fsIndent, fsExplorer, fsNone, fsLight, fsDark, fsMono };

// The top-left corner of a picture of pw x ph on a button of width x height.
Point GlyphPosition(TTextAlign align, int width, int height, int pw, int ph, int spacing);

// The top-left corner of a caption of tw x th beside a glyph whose rectangle runs from
// glyph_top to glyph_bottom.
Point CaptionPosition(TTextAlign align, int width, int height, int tw, int th, int spacing, int glyph_top,
                      int glyph_bottom);

struct ButtonLook {
    bool enabled = true;
    bool inside = false;   // the pointer is over the button
    bool pressed = false;  // a mouse button went down on it and is held
    bool down = false;     // toggled down in its group
    bool flat = true;      // transparent
    TFrameStyle frame = TFrameStyle::fsExplorer;
    bool auto_gray = true;
    bool hot_track = false;
    bool keep_pressed = false;  // KeepMouseLeavePressed
    bool show_pressed = true;
};

// The picture drawn from a glyph of num_glyphs cells: a cell index, or num_glyphs for the
// grey copy and num_glyphs + 1 for the disabled copy.
int GlyphPictureIndex(const ButtonLook& look, int num_glyphs);

// The picture drawn from the image lists: 0 active, 1 disabled, 2 down, 3 grey, 4 hot.
int ImagesPictureIndex(const ButtonLook& look);

// NumGlyphs after a glyph of width x height is assigned: the number of square cells when
// that is 1 to 4, 1 for more; unchanged when the width is no whole multiple of the height.
int NumGlyphsForGlyph(int width, int height, int current);

// One ring of a state frame, drawn over the button's rectangle from the outside in.
struct FrameRing {
    TColor top_left = clNone, bottom_right = clNone;
    int width = 1;
    bool operator==(const FrameRing&) const = default;
};

// The idle or the pressed frame of a style in the state given; empty when none shows.
std::vector<FrameRing> StateFrame(const ButtonLook& look, int border_width);

}  // namespace roadsum
