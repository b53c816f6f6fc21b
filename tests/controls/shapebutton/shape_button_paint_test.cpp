// The shaped button's face: fills, gradients, bevels and frames, glyphs and the caption, as
// rendered into its face bitmap under Wine.
#include <gtest/gtest.h>

#include <algorithm>

#include "controls/shapebutton/shape_colors.h"
#include "controls/shapebutton/shape_gradient.h"
#include "shape_button_fixture.h"

namespace roadsum::test {
namespace {

constexpr TColor kFace = RGBColor(0xC0, 0xC0, 0xC0);
constexpr TColor kKey = RGBColor(255, 0, 255);

class ShapeButtonPaintTest : public ShapeButtonTest {
protected:
    // A plain button that draws nothing but its face unless told otherwise.
    TShapeButton* Plain(int width = 60, int height = 20) {
        auto* b = Make(20, 100, width, height);
        b->SetButton3DKind(TShape3DKind::dkNone);
        b->SetButtonColor(kFace);
        b->SetCaption("");
        return b;
    }
    // A strip of `cells` cells of 8 x 8, cell i filled with colours[i] and its (0, 0) the key.
    static std::unique_ptr<TDib24> Strip(std::initializer_list<TColor> colours) {
        auto strip = std::make_unique<TDib24>(8 * static_cast<int>(colours.size()), 8);
        int i = 0;
        for (TColor c : colours) {
            for (int y = 0; y < 8; ++y)
                for (int x = 0; x < 8; ++x) strip->SetPixel(8 * i + x, y, c);
            ++i;
        }
        strip->SetPixel(0, 0, kKey);
        return strip;
    }
    // The pixels of the face that differ from `background`, as a box; empty when none.
    static RECT Ink(TShapeButton* b, TColor background) {
        RECT box{INT_MAX, INT_MAX, INT_MIN, INT_MIN};
        const TDib24* f = b->FaceBitmap();
        for (int y = 0; y < f->Height(); ++y)
            for (int x = 0; x < f->Width(); ++x)
                if (f->Pixel(x, y) != background) {
                    box = {std::min<LONG>(box.left, x), std::min<LONG>(box.top, y), std::max<LONG>(box.right, x + 1),
                           std::max<LONG>(box.bottom, y + 1)};
                }
        return box.left == INT_MAX ? RECT{} : box;
    }
    static int Count(TShapeButton* b, TColor colour) {
        int n = 0;
        const TDib24* f = b->FaceBitmap();
        for (int y = 0; y < f->Height(); ++y)
            for (int x = 0; x < f->Width(); ++x) n += f->Pixel(x, y) == colour;
        return n;
    }
    static bool SameFace(const TDib24& a, const TDib24& b) {
        if (a.Width() != b.Width() || a.Height() != b.Height()) return false;
        for (int y = 0; y < a.Height(); ++y)
            for (int x = 0; x < a.Width(); ++x)
                if (a.Pixel(x, y) != b.Pixel(x, y)) return false;
        return true;
    }
    static std::unique_ptr<TDib24> Snapshot(TShapeButton* b) {
        const TDib24* f = b->FaceBitmap();
        auto copy = std::make_unique<TDib24>(f->Width(), f->Height());
        BitBlt(copy->DC(), 0, 0, f->Width(), f->Height(), f->DC(), 0, 0, SRCCOPY);
        return copy;
    }
    static void Press(TShapeButton* b, bool down) { SendMessageA(b->Handle(), BM_SETSTATE, down, 0); }
    void Hover(TShapeButton* b) { SendMessageA(b->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(5, 5)); }
};

TEST_F(ShapeButtonPaintTest, AFaceOfItsOwnColourAndAPaleOneWhenDisabled) {
    auto* b = Plain();
    EXPECT_EQ(b->FaceBitmap()->Width(), 60);
    EXPECT_EQ(Face(b, 30, 10), kFace);
    b->SetEnabled(false);
    EXPECT_EQ(Face(b, 30, 10), LightenColor(kFace));
    // No fill at all: what a fresh bitmap holds.
    b->SetEnabled(true);
    b->SetButtonColor(clNone);
    EXPECT_EQ(Face(b, 30, 10), RGBColor(0, 0, 0));
}

TEST_F(ShapeButtonPaintTest, TheMapButtonsGradientRunsFromTopToBottomInEightBands) {
    auto* b = Make();
    ConfigureMapButton(b);
    const TColor c1 = RGBColor(0xF0, 0xF8, 0xF9), c2 = RGBColor(0xD5, 0xE4, 0xF2);
    // Three rows a band, the centre column; the edge rows belong to the bevel and frame.
    for (int y = 2; y < 19; ++y) EXPECT_EQ(Face(b, 11, y), BlendColor(c1, c2, 7, (y + 1) / 3)) << y;
    EXPECT_EQ(Face(b, 11, 0), DarkenColor(DarkenColor(c1))) << "the outline frame";
}

TEST_F(ShapeButtonPaintTest, TheCloseButtonsGradientIsSlantedAndHasNoFocusFrame) {
    auto* b = Make();
    ConfigureCloseButton(b);
    b->Loaded();
    const TColor c1 = RGBColor(0xF7, 0xFD, 0xFD), c2 = RGBColor(0xD5, 0xE4, 0xF2);
    // Every face pixel is one of the thirteen steps, later steps further down and to the right.
    auto step_of = [&](TColor c) {
        for (int m = 0; m <= 12; ++m)
            if (BlendColor(c1, c2, 12, m) == c) return m;
        return -1;
    };
    int last = -1;
    for (int y = 2; y < 23; ++y) {
        const int m = step_of(Face(b, 5, y));
        ASSERT_GE(m, 0) << y;
        EXPECT_GE(m, last) << y;
        last = m;
    }
    EXPECT_LT(step_of(Face(b, 5, 12)), step_of(Face(b, 60, 12))) << "turned by 9 degrees";
    EXPECT_EQ(Face(b, 30, 0), DarkenColor(DarkenColor(c1)));
    // Focused it is the active button, and still shows no focus frame.
    const auto before = Snapshot(b);
    const int focus_coloured = Count(b, DarkenColor(c1));
    b->SetFocus();
    EXPECT_TRUE(b->Active());
    EXPECT_TRUE(SameFace(*before, *b->FaceBitmap()));
    b->SetShowFocusRGN(true);
    EXPECT_FALSE(SameFace(*before, *b->FaceBitmap()));
    EXPECT_GT(Count(b, DarkenColor(c1)), focus_coloured) << "the focus frame";
}

TEST_F(ShapeButtonPaintTest, ACircularGradientHasItsFirstColourInTheMiddle) {
    auto* b = Plain(40, 40);
    b->SetButtonColor(RGBColor(255, 0, 0));
    b->SetButtonColor1(RGBColor(0, 0, 255));
    b->SetGradientKind(TShapeGradientKind::gkCircular);
    const int n = CircularGradientSteps(40, 40);
    // The brush of the first colour shows only inside the innermost ring, which the pen may cover.
    const TColor centre = Face(b, 20, 20);
    EXPECT_TRUE(centre == RGBColor(255, 0, 0) || centre == BlendColor(RGBColor(255, 0, 0), RGBColor(0, 0, 255), n, 1));
    EXPECT_EQ(Face(b, 1, 1), BlendColor(RGBColor(255, 0, 0), RGBColor(0, 0, 255), n, n)) << "the outermost ring";
}

TEST_F(ShapeButtonPaintTest, AGradientBitmapGivesTheColoursOfItsColumns) {
    // Ten columns of distinct colours; a 15-pixel-high face has five bands.
    TDib24 sample(10, 2);
    for (int x = 0; x < 10; ++x) {
        sample.SetPixel(x, 0, RGBColor(10 * x, 0, 0));
        sample.SetPixel(x, 1, RGBColor(0, 10 * x, 0));
    }
    auto* b = Plain(30, 15);
    b->SetGradientKind(TShapeGradientKind::gkLinear);
    b->SetGradientAngle(0);
    b->SetGradientBitmap(sample.Handle());
    ASSERT_NE(b->GradientBitmap(), nullptr);
    for (int m = 0; m < 5; ++m) EXPECT_EQ(Face(b, 15, 3 * m), RGBColor(10 * 2 * m, 0, 0)) << m;
    b->SetGradientBitmapLine(1);
    EXPECT_EQ(Face(b, 15, 6), RGBColor(0, 40, 0));
    b->SetGradientBitmapLine(2);
    EXPECT_EQ(Face(b, 15, 6), RGBColor(40, 0, 0)) << "a line below the bitmap reads row 0";
}

TEST_F(ShapeButtonPaintTest, FlattenedButtonsShowBevelAndFrameOnlyUnderTheMouse) {
    auto* b = Plain();
    b->SetButton3DKind(TShape3DKind::dkFlatten);
    EXPECT_EQ(Ink(b, kFace).right, 0) << "nothing but the face";
    Hover(b);
    EXPECT_TRUE(b->MouseOver());
    EXPECT_EQ(Face(b, 30, 0), DarkenColor(DarkenColor(kFace)));
    EXPECT_EQ(Face(b, 30, 1), LightenColor(kFace)) << "the light top band";
    EXPECT_EQ(Face(b, 30, 18), DarkenColor(kFace)) << "the dark bottom band";
    SendMessageA(b->Handle(), WM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(Ink(b, kFace).right, 0);
}

TEST_F(ShapeButtonPaintTest, ThreeDimensionalKindsAndPressing) {
    auto* b = Plain();
    b->SetButton3DKind(TShape3DKind::dk3D);
    EXPECT_EQ(Face(b, 30, 1), LightenColor(kFace));
    Press(b, true);
    Paint(b);
    EXPECT_TRUE(b->Pressed());
    EXPECT_EQ(Face(b, 30, 1), DarkenColor(kFace)) << "the bevel turns inside out";
    Press(b, false);
    Paint(b);
    EXPECT_FALSE(b->Pressed());
    // The border kind adds the inner bevel and frame.
    b->SetButton3DKind(TShape3DKind::dk3dBorder);
    EXPECT_EQ(Face(b, 30, 3), LightenColor(kFace));
    EXPECT_EQ(Face(b, 30, 4), DarkenColor(DarkenColor(kFace))) << "the inner frame";
    b->SetButton3DKind(TShape3DKind::dk3dsimple);
    EXPECT_EQ(Face(b, 30, 0), LightenColor(kFace)) << "no outline frame";
}

TEST_F(ShapeButtonPaintTest, ACustomDrawnFaceTakesTheColourOfTheLastRender) {
    auto* b = Plain();
    b->SetButtonColor(RGBColor(255, 0, 0));
    b->SetCustomDraw(true);
    EXPECT_EQ(Face(b, 30, 10), RGBColor(255, 0, 0));
    b->SetButtonColor(RGBColor(0, 0, 255));
    EXPECT_EQ(Face(b, 30, 10), RGBColor(255, 0, 0)) << "the brush of the render before";
    b->RenderFace();
    EXPECT_EQ(Face(b, 30, 10), RGBColor(0, 0, 255));
}

TEST_F(ShapeButtonPaintTest, GlyphCellsFollowTheState) {
    auto* b = Plain(40, 30);
    const TColor normal = RGBColor(1, 1, 1), disabled = RGBColor(2, 2, 2), hot = RGBColor(3, 3, 3),
                 pressed = RGBColor(4, 4, 4);
    const auto strip = Strip({normal, disabled, hot, pressed});
    b->SetMainBitmap(strip->Handle());
    b->SetMainBitmapGlyphs(4);
    ASSERT_NE(b->MainBitmap(), nullptr);
    EXPECT_EQ(b->MainBitmap()->Width(), 32);
    // haLeft/vaTop at the depth: (2, 2). Not transparent: the key colour is copied too.
    EXPECT_EQ(Face(b, 2, 2), kKey);
    EXPECT_EQ(Face(b, 5, 5), normal);
    Hover(b);
    EXPECT_EQ(Face(b, 5, 5), hot);
    SendMessageA(b->Handle(), WM_MOUSELEAVE, 0, 0);
    Press(b, true);
    Paint(b);
    EXPECT_EQ(Face(b, 2, 2), kFace) << "one pixel right and down";
    EXPECT_EQ(Face(b, 2, 5), kFace) << "nothing of the cell beside it";
    EXPECT_EQ(Face(b, 3, 3), pressed);
    EXPECT_EQ(Face(b, 9, 9), pressed);
    Press(b, false);
    Paint(b);
    b->SetEnabled(false);
    EXPECT_EQ(Face(b, 5, 5), disabled);
    // Transparent: the key colour is left out.
    b->SetEnabled(true);
    b->SetTransparent(true);
    EXPECT_EQ(Face(b, 2, 2), kFace);
    EXPECT_EQ(Face(b, 3, 2), normal);
}

TEST_F(ShapeButtonPaintTest, ADisabledSingleGlyphIsMergedWithTheFace) {
    auto* b = Plain(40, 30);
    const auto strip = Strip({RGBColor(0xF0, 0x0F, 0xFF)});
    b->SetMainBitmap(strip->Handle());
    b->SetEnabled(false);
    EXPECT_EQ(Face(b, 5, 5), RGBColor(0xF0, 0x0F, 0xFF) & LightenColor(kFace));
    // Two cells: the second, as it is.
    const auto two = Strip({RGBColor(9, 9, 9), RGBColor(0xF0, 0x0F, 0xFF)});
    b->SetMainBitmap(two->Handle());
    b->SetMainBitmapGlyphs(2);
    EXPECT_EQ(Face(b, 5, 5), RGBColor(0xF0, 0x0F, 0xFF));
    // An empty picture removes the glyph.
    b->SetMainBitmap(nullptr);
    EXPECT_EQ(b->MainBitmap(), nullptr);
    EXPECT_EQ(Face(b, 5, 5), LightenColor(kFace));
}

TEST_F(ShapeButtonPaintTest, TheCaptionIsCentredAndFollowsItsFontColour) {
    auto* b = Plain(80, 30);
    b->SetFont(TFont("Arial", 11, clBlack));
    b->SetCaption("Close");
    const RECT ink = Ink(b, kFace);
    ASSERT_GT(ink.right, ink.left);
    EXPECT_NEAR((ink.left + ink.right) / 2.0, 40, 3);
    EXPECT_NEAR((ink.top + ink.bottom) / 2.0, 15, 3);
    // clNone draws no caption at all.
    TFont none = b->Font();
    none.SetColor(clNone);
    b->SetFont(none);
    EXPECT_EQ(Ink(b, kFace).right, 0);
    b->SetCaption3dKind(TShapeCaption3dKind::ckEmbossed);
    EXPECT_EQ(Ink(b, kFace).right, 0) << "in every pass";
}

TEST_F(ShapeButtonPaintTest, AnAmpersandUnderlinesTheNextLetterOnly) {
    auto* b = Plain(80, 30);
    b->SetFont(TFont("Arial", 11, clBlack));
    b->SetCaption("Close");
    const auto plain = Snapshot(b);
    const RECT ink = Ink(b, kFace);
    b->SetCaption("&Close");
    // Below the letters only the underline differs, and only under the C. (The letters may
    // shift by a pixel: the runs are drawn one by one.)
    int underline = 0;
    for (int y = ink.bottom; y < 30; ++y)
        for (int x = 0; x < 80; ++x)
            if (plain->Pixel(x, y) != Face(b, x, y)) {
                ++underline;
                EXPECT_GE(x, ink.left - 1) << y;
                EXPECT_LE(x, ink.left + 9) << y;
            }
    EXPECT_GT(underline, 3);
    EXPECT_EQ(Ink(b, kFace).left, ink.left);
}

TEST_F(ShapeButtonPaintTest, EmbossedCaptionsUseLightAndDarkCopiesAndPressingMovesThem) {
    auto* b = Plain(80, 30);
    b->SetFont(TFont("Arial", 11, clBlack));
    b->SetCaption("Close");
    const RECT up = Ink(b, kFace);
    Press(b, true);
    Paint(b);
    const RECT down = Ink(b, kFace);
    EXPECT_EQ(down.left, up.left + 1);
    EXPECT_EQ(down.top, up.top + 1);
    Press(b, false);
    Paint(b);
    b->SetCaption3dKind(TShapeCaption3dKind::ckEmbossed);
    EXPECT_GT(Count(b, LightenColor(kFace)), 0);
    EXPECT_GT(Count(b, DarkenColor(kFace)), 0);
    const RECT embossed = Ink(b, kFace);
    EXPECT_EQ(embossed.left, up.left - 1);
    EXPECT_EQ(embossed.right, up.right + 1);
}

TEST_F(ShapeButtonPaintTest, ATurnedCaptionRunsUpwards) {
    auto* b = Plain(30, 80);
    b->SetFont(TFont("Arial", 11, clBlack));
    b->SetCaption("Close");
    b->SetCaptionAngle(900);
    const RECT ink = Ink(b, kFace);
    EXPECT_GT(ink.bottom - ink.top, ink.right - ink.left) << "taller than wide";
    EXPECT_NEAR((ink.top + ink.bottom) / 2.0, 40, 3);
}

TEST_F(ShapeButtonPaintTest, TheRotationPointIsMarkedAtDesignTime) {
    auto* b = Plain(60, 20);
    b->SetRotationPointX(30);
    b->SetRotationPointY(10);
    EXPECT_EQ(Face(b, 30, 10), kFace);
    b->SetDesigning(true);
    EXPECT_EQ(Face(b, 30, 10), RGBColor(0, 0, 0));
    EXPECT_EQ(Face(b, 26, 10), RGBColor(0, 0, 0)) << "the cross";
    EXPECT_EQ(Face(b, 31, 10), RGBColor(255, 255, 0)) << "the yellow ring on a light face";
}

TEST_F(ShapeButtonPaintTest, PaintingAppliesTheRegionAndCopiesTheFace) {
    auto* b = Plain(60, 20);
    b->SetButtonKind(TShapeButtonKind::bkElliptic);
    int paints = 0;
    b->OnPaint = [&](TObject* sender) {
        EXPECT_EQ(sender, b);
        ++paints;
    };
    EXPECT_TRUE(b->RegionPending());
    Paint(b);
    EXPECT_FALSE(b->RegionPending());
    EXPECT_GT(paints, 0);
    EXPECT_FALSE(InWindowRegion(b, 0, 0));
    // What the window shows is the face.
    const ClientDC dc(b->Handle());
    EXPECT_EQ(static_cast<TColor>(GetPixel(dc.get(), 30, 10)), Face(b, 30, 10));
}

}  // namespace
}  // namespace roadsum::test
