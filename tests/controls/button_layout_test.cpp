#include "controls/button_layout.h"

#include <gtest/gtest.h>

namespace roadsum {
namespace {

using A = TTextAlign;
using F = TFrameStyle;

TEST(ButtonLayout, TheMainWindowsGlyphStandsAtTwoOne) {
    EXPECT_EQ(GlyphPosition(A::ttaCenter, 20, 19, 16, 16, 2), (Point{2, 1}));
}

TEST(ButtonLayout, TheGlyphMakesRoomForTheCaption) {
    // 40 x 30 button, 16 x 10 picture, spacing 3.
    EXPECT_EQ(GlyphPosition(A::ttaBottom, 40, 30, 16, 10, 3), (Point{12, 3})) << "caption below";
    EXPECT_EQ(GlyphPosition(A::ttaBottomLeft, 40, 30, 16, 10, 3), (Point{12, 3}));
    EXPECT_EQ(GlyphPosition(A::ttaTop, 40, 30, 16, 10, 3), (Point{12, 17})) << "caption above";
    EXPECT_EQ(GlyphPosition(A::ttaTopRight, 40, 30, 16, 10, 3), (Point{12, 17}));
    EXPECT_EQ(GlyphPosition(A::ttaLeft, 40, 30, 16, 10, 3), (Point{21, 10})) << "caption on the left";
    EXPECT_EQ(GlyphPosition(A::ttaRight, 40, 30, 16, 10, 3), (Point{3, 10})) << "caption on the right";
    EXPECT_EQ(GlyphPosition(A::ttaCenter, 41, 31, 16, 10, 3), (Point{12, 10}));
    EXPECT_EQ(GlyphPosition(A::ttaCenter, 10, 10, 16, 16, 2), (Point{-3, -3})) << "a glyph larger than the button";
}

TEST(ButtonLayout, CaptionPlacesFollowTheTable) {
    // 60 x 40 button, 21 x 9 text, spacing 2, glyph from y = 5 to y = 21.
    auto at = [](A align) { return CaptionPosition(align, 60, 40, 21, 9, 2, 5, 21); };
    EXPECT_EQ(at(A::ttaTopLeft), (Point{2, -6}));
    EXPECT_EQ(at(A::ttaTop), (Point{20, -6}));
    EXPECT_EQ(at(A::ttaTopRight), (Point{37, -6}));
    EXPECT_EQ(at(A::ttaRight), (Point{37, 16}));
    EXPECT_EQ(at(A::ttaBottomRight), (Point{37, 23}));
    EXPECT_EQ(at(A::ttaBottom), (Point{20, 23}));
    EXPECT_EQ(at(A::ttaBottomLeft), (Point{2, 23}));
    EXPECT_EQ(at(A::ttaLeft), (Point{2, 16}));
    EXPECT_EQ(at(A::ttaCenter), (Point{20, 16}));
}

TEST(ButtonLayout, GlyphCellsByState) {
    ButtonLook look;
    look.auto_gray = false;
    look.flat = false;
    look.frame = F::fsRegular;
    EXPECT_EQ(GlyphPictureIndex(look, 1), 0);
    EXPECT_EQ(GlyphPictureIndex(look, 4), 0);
    look.pressed = true;
    EXPECT_EQ(GlyphPictureIndex(look, 2), 0) << "two cells have no down cell";
    EXPECT_EQ(GlyphPictureIndex(look, 3), 2);
    look.pressed = false;
    look.down = true;
    EXPECT_EQ(GlyphPictureIndex(look, 4), 2);
    look.down = false;
    look.enabled = false;
    EXPECT_EQ(GlyphPictureIndex(look, 2), 1);
    EXPECT_EQ(GlyphPictureIndex(look, 4), 1);
    EXPECT_EQ(GlyphPictureIndex(look, 1), 2) << "one cell: the disabled copy after the grey one";
}

TEST(ButtonLayout, AutoGrayShowsTheGreyCopyWhileThePointerIsAway) {
    ButtonLook look;  // flat, explorer, AutoGray
    EXPECT_EQ(GlyphPictureIndex(look, 1), 1) << "grey copy of a one-cell glyph";
    EXPECT_EQ(GlyphPictureIndex(look, 3), 3);
    look.inside = true;
    EXPECT_EQ(GlyphPictureIndex(look, 1), 0);
    look.inside = false;
    look.down = true;
    EXPECT_EQ(GlyphPictureIndex(look, 3), 2) << "a down button is never grey";
    look.down = false;
    look.flat = false;
    EXPECT_EQ(GlyphPictureIndex(look, 1), 1) << "an opaque explorer button greys too";
    look.frame = F::fsLight;
    EXPECT_EQ(GlyphPictureIndex(look, 1), 0) << "an opaque button of another style does not";
    look.flat = true;
    look.auto_gray = false;
    EXPECT_EQ(GlyphPictureIndex(look, 1), 0);
}

TEST(ButtonLayout, PicturesFromTheImageLists) {
    ButtonLook look;
    look.frame = F::fsNone;
    EXPECT_EQ(ImagesPictureIndex(look), 0);
    look.inside = true;
    EXPECT_EQ(ImagesPictureIndex(look), 0);
    look.hot_track = true;
    EXPECT_EQ(ImagesPictureIndex(look), 4);
    look.pressed = true;
    EXPECT_EQ(ImagesPictureIndex(look), 2);
    look.inside = false;
    EXPECT_EQ(ImagesPictureIndex(look), 0) << "pressed but dragged away";
    look.keep_pressed = true;
    EXPECT_EQ(ImagesPictureIndex(look), 2) << "KeepMouseLeavePressed";
    look = ButtonLook{};  // explorer, AutoGray, no flags
    EXPECT_EQ(ImagesPictureIndex(look), 3);
    look.down = true;
    EXPECT_EQ(ImagesPictureIndex(look), 2);
    look.enabled = false;
    EXPECT_EQ(ImagesPictureIndex(look), 1);
}

TEST(ButtonLayout, NumGlyphsFollowsSquareCells) {
    EXPECT_EQ(NumGlyphsForGlyph(64, 16, 1), 4);
    EXPECT_EQ(NumGlyphsForGlyph(80, 16, 3), 1) << "a quotient of 5 gives 1";
    EXPECT_EQ(NumGlyphsForGlyph(40, 16, 3), 3) << "not a whole multiple: unchanged";
    EXPECT_EQ(NumGlyphsForGlyph(16, 16, 4), 1);
    EXPECT_EQ(NumGlyphsForGlyph(32, 16, 1), 2);
    EXPECT_EQ(NumGlyphsForGlyph(8, 16, 2), 2) << "narrower than high";
    EXPECT_EQ(NumGlyphsForGlyph(16, 0, 2), 2);
}

TEST(ButtonFrames, IdleAndPressedFramesOfEachStyle) {
    const TColor hi = clBtnHighlight, sh = clBtnShadow, face = clBtnFace, dk = cl3DDkShadow;
    ButtonLook look;
    look.flat = false;
    auto frame = [&](F style, bool pressed, bool show = true) {
        look.frame = style;
        look.pressed = pressed;
        look.show_pressed = show;
        return StateFrame(look, 2);
    };
    using R = std::vector<FrameRing>;
    EXPECT_EQ(frame(F::fsRegular, false), (R{{hi, clBlack, 2}, {RGBColor(223, 223, 223), sh, 2}}));
    EXPECT_EQ(frame(F::fsRegular, true), (R{{clBlack, hi, 2}, {sh, face, 2}}));
    EXPECT_EQ(frame(F::fsRegular, true, false), R{}) << "no pressed frame without ShowPressed";
    EXPECT_EQ(frame(F::fsIndent, false), (R{{sh, hi, 2}, {hi, sh, 2}}));
    EXPECT_EQ(frame(F::fsIndent, true), (R{{clBlack, hi, 2}, {sh, face, 2}}));
    EXPECT_EQ(frame(F::fsNone, false), R{});
    EXPECT_EQ(frame(F::fsNone, true), R{});
    EXPECT_EQ(frame(F::fsLight, false), (R{{hi, sh, 1}}));
    EXPECT_EQ(frame(F::fsLight, true), (R{{sh, hi, 1}}));
    EXPECT_EQ(frame(F::fsDark, false), (R{{face, dk, 1}}));
    EXPECT_EQ(frame(F::fsDark, true), (R{{dk, face, 1}}));
    EXPECT_EQ(frame(F::fsMono, false), (R{{hi, dk, 1}}));
    EXPECT_EQ(frame(F::fsMono, true), (R{{dk, hi, 1}}));
    EXPECT_EQ(frame(F::fsExplorer, false), R{}) << "explorer: only under the pointer";
    look.inside = true;
    EXPECT_EQ(frame(F::fsExplorer, false), (R{{hi, sh, 2}}));
    EXPECT_EQ(frame(F::fsExplorer, true), (R{{sh, hi, 2}}));
    EXPECT_EQ(frame(F::fsExplorer, true, false), (R{{hi, sh, 2}})) << "raised when pressed without ShowPressed";
}

TEST(ButtonFrames, ATransparentButtonShowsItsIdleFrameOnlyUnderThePointer) {
    ButtonLook look;  // flat
    look.frame = F::fsMono;
    EXPECT_TRUE(StateFrame(look, 1).empty());
    look.inside = true;
    EXPECT_EQ(StateFrame(look, 1).size(), 1u);
    // A pressed frame shows wherever the pointer is; an explorer one only under it or down.
    look.inside = false;
    look.pressed = true;
    EXPECT_EQ(StateFrame(look, 1).size(), 1u);
    look.frame = F::fsExplorer;
    EXPECT_TRUE(StateFrame(look, 1).empty());
    look.pressed = false;
    look.down = true;
    EXPECT_EQ(StateFrame(look, 1).size(), 1u);
}

}  // namespace
}  // namespace roadsum
