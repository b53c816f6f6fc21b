#include "controls/shapebutton/shape_colors.h"

#include <gtest/gtest.h>

namespace roadsum {
namespace {

TEST(ShapeColors, LightenAndDarkenByThirtyTwoWithinTheRange) {
    EXPECT_EQ(LightenColor(RGBColor(0, 100, 223)), RGBColor(32, 132, 255));
    EXPECT_EQ(LightenColor(RGBColor(224, 255, 240)), RGBColor(255, 255, 255));
    EXPECT_EQ(DarkenColor(RGBColor(31, 32, 200)), RGBColor(0, 0, 168));
    EXPECT_EQ(DarkenColor(RGBColor(0, 255, 33)), RGBColor(0, 223, 1));
    // The Close button's frame: darkened twice.
    EXPECT_EQ(DarkenColor(DarkenColor(RGBColor(0xF7, 0xFD, 0xFD))), RGBColor(0xB7, 0xBD, 0xBD));
}

TEST(ShapeColors, BrightnessDecidesDarkColours) {
    EXPECT_EQ(ColorBrightness(RGBColor(255, 255, 255)), 765);
    EXPECT_EQ(ColorBrightness(RGBColor(120, 120, 120)), 360);
    EXPECT_LT(ColorBrightness(RGBColor(120, 120, 120)), kDarkBrightness);
    EXPECT_EQ(ColorBrightness(RGBColor(120, 120, 121)), kDarkBrightness);
}

TEST(ShapeColors, BlendStepsTruncateTowardZero) {
    const TColor a = RGBColor(255, 0, 10), b = RGBColor(0, 255, 10);
    EXPECT_EQ(BlendColor(a, b, 2, 0), a);
    EXPECT_EQ(BlendColor(a, b, 2, 2), b);
    // 255 - 255 div 2 = 128 and 0 + 255 div 2 = 127: both toward zero.
    EXPECT_EQ(BlendColor(a, b, 2, 1), RGBColor(128, 127, 10));
    EXPECT_EQ(BlendColor(a, b, 0, 5), a);
    EXPECT_EQ(BlendColor(RGBColor(0xF7, 0xFD, 0xFD), RGBColor(0xD5, 0xE4, 0xF2), 12, 6), RGBColor(0xE6, 0xF1, 0xF8));
}

TEST(ShapeColors, Tones) {
    const TColor c = RGBColor(100, 230, 20);
    EXPECT_EQ(ToneColor(c, -1), DarkenColor(c));
    EXPECT_EQ(ToneColor(c, 1), RGBColor(132, 255, 52));
    EXPECT_EQ(ToneColor(c, 2), RGBColor(164, 255, 84));
    EXPECT_EQ(ToneColor(c, 0), c);
    EXPECT_EQ(ToneColor(c, 3), c);
}

TEST(ShapeColors, WhichBevelPartsEachKindDraws) {
    using K = TShape3DKind;
    const BevelParts none{false, false, false};
    EXPECT_EQ(VisibleBevelParts(K::dk3D, false), (BevelParts{true, false, true}));
    EXPECT_EQ(VisibleBevelParts(K::dkFlatten, false), none);
    EXPECT_EQ(VisibleBevelParts(K::dkFlatten, true), (BevelParts{true, false, true}));
    EXPECT_EQ(VisibleBevelParts(K::dk3dsimple, false), (BevelParts{true, false, false}));
    EXPECT_EQ(VisibleBevelParts(K::dkFlattenSimple, false), none);
    EXPECT_EQ(VisibleBevelParts(K::dkFlattenSimple, true), (BevelParts{true, false, false}));
    EXPECT_EQ(VisibleBevelParts(K::dk3dBorder, false), (BevelParts{true, true, true}));
    EXPECT_EQ(VisibleBevelParts(K::dk3dBorderFlatten, false), none);
    EXPECT_EQ(VisibleBevelParts(K::dk3dBorderFlatten, true), (BevelParts{true, true, true}));
    EXPECT_EQ(VisibleBevelParts(K::dkNone, false), none);
    EXPECT_EQ(VisibleBevelParts(K::dkNone, true), (BevelParts{true, false, false}));
}

TEST(ShapeColors, PlainBevelsSwapWhenPressedAndPaleWhenDisabled) {
    const TColor light = RGBColor(200, 200, 200);
    const PlainBevelColors up = PlainBevel(light, false, true);
    EXPECT_EQ(up.light, LightenColor(light));
    EXPECT_EQ(up.dark, DarkenColor(light));
    EXPECT_EQ(up.frame, DarkenColor(DarkenColor(light)));
    const PlainBevelColors down = PlainBevel(light, true, true);
    EXPECT_EQ(down.light, up.dark);
    EXPECT_EQ(down.dark, up.light);
    EXPECT_EQ(down.light2, up.light2) << "the inner bevel never swaps";
    EXPECT_EQ(down.dark2, up.dark2);
    const PlainBevelColors off = PlainBevel(light, false, false);
    EXPECT_EQ(off.light, LightenColor(LightenColor(light)));
    EXPECT_EQ(off.dark, DarkenColor(LightenColor(light)));
    EXPECT_EQ(off.frame, DarkenColor(light));
    // On a dark face the frames are light.
    const TColor dark = RGBColor(20, 40, 60);
    EXPECT_EQ(PlainBevel(dark, false, true).frame, RGBColor(84, 104, 124));
    EXPECT_EQ(PlainBevel(dark, false, false).frame, RGBColor(116, 136, 156));
}

}  // namespace
}  // namespace roadsum
