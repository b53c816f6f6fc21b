#include "controls/button_layout.h"

namespace roadsum {
namespace {

using A = TTextAlign;

bool CaptionAbove(A a) { return a == A::ttaTopLeft || a == A::ttaTop || a == A::ttaTopRight; }
bool CaptionBelow(A a) { return a == A::ttaBottomRight || a == A::ttaBottom || a == A::ttaBottomLeft; }

}  // namespace

Point GlyphPosition(TTextAlign align, int width, int height, int pw, int ph, int spacing) {
    int y = CaptionBelow(align) ? spacing : CaptionAbove(align) ? height - ph - spacing : (height - ph) / 2;
    int x = align == A::ttaLeft ? width - pw - spacing : align == A::ttaRight ? spacing : (width - pw) / 2;
    return {x, y};
}

Point CaptionPosition(TTextAlign align, int width, int height, int tw, int th, int spacing, int glyph_top,
                      int glyph_bottom) {
    int left = spacing, centre = width / 2 - tw / 2, right = width - tw - spacing;
    int above = glyph_top - th - spacing, middle = height / 2 - th / 2, below = glyph_bottom + spacing;
    switch (align) {
        case A::ttaTopLeft: return {left, above};
        case A::ttaTop: return {centre, above};
        case A::ttaTopRight: return {right, above};
        case A::ttaRight: return {right, middle};
        case A::ttaBottomRight: return {right, below};
        case A::ttaBottom: return {centre, below};
        case A::ttaBottomLeft: return {left, below};
        case A::ttaLeft: return {left, middle};
        case A::ttaCenter: return {centre, middle};
    }
    return {centre, middle};
}

int GlyphPictureIndex(const ButtonLook& look, int num_glyphs) {
    bool pushed = look.pressed || look.down;
    int index = 0;
    if (num_glyphs >= 2 && !look.enabled) index = 1;
    else if (num_glyphs >= 3 && pushed) index = 2;
    int grey = num_glyphs, disabled = num_glyphs + 1;
    if ((look.flat || look.frame == TFrameStyle::fsExplorer) && look.auto_gray && !look.inside && !look.down)
        index = grey;
    if (!look.enabled && num_glyphs == 1) index = disabled;
    return index;
}

int ImagesPictureIndex(const ButtonLook& look) {
    if (!look.enabled) return 1;
    if ((look.pressed && (look.inside || look.keep_pressed)) || look.down) return 2;
    if (look.frame == TFrameStyle::fsExplorer && look.auto_gray && !look.inside && !look.pressed) return 3;
    if (look.inside && look.hot_track) return 4;
    return 0;
}

int NumGlyphsForGlyph(int width, int height, int current) {
    if (width <= 0 || height <= 0 || width % height != 0) return current;
    int cells = width / height;
    return cells < 5 ? cells : 1;
}

std::vector<FrameRing> StateFrame(const ButtonLook& b, int bw) {
    const TColor hi = clBtnHighlight, sh = clBtnShadow, face = clBtnFace, dk = cl3DDkShadow;
    bool pushed = b.pressed || b.down;
    // The idle frame of most styles shows on an opaque button always, on a transparent one
    // only under the pointer.
    bool idle_shows = !b.flat || b.inside;
    switch (b.frame) {
        case TFrameStyle::fsRegular:
        case TFrameStyle::fsIndent:
            if (pushed) {
                if (!b.show_pressed) return {};
                return {{clBlack, hi, bw}, {sh, face, bw}};
            }
            if (!idle_shows) return {};
            if (b.frame == TFrameStyle::fsRegular) return {{hi, clBlack, bw}, {RGBColor(223, 223, 223), sh, bw}};
            return {{sh, hi, bw}, {hi, sh, bw}};
        case TFrameStyle::fsExplorer:
            if (pushed) {
                if (!b.inside && !b.down) return {};
                return {b.show_pressed ? FrameRing{sh, hi, bw} : FrameRing{hi, sh, bw}};
            }
            if (!b.inside) return {};
            return {{hi, sh, bw}};
        case TFrameStyle::fsNone:
            return {};
        case TFrameStyle::fsLight:
        case TFrameStyle::fsDark:
        case TFrameStyle::fsMono: {
            TColor light = b.frame == TFrameStyle::fsDark ? face : hi;
            TColor dark = b.frame == TFrameStyle::fsLight ? sh : dk;
            if (pushed) return b.show_pressed ? std::vector<FrameRing>{{dark, light, 1}} : std::vector<FrameRing>{};
            if (!idle_shows) return {};
            return {{light, dark, 1}};
        }
    }
    return {};
}

}  // namespace roadsum
