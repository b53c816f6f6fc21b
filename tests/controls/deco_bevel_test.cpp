#include "controls/deco_bevel.h"

#include <gtest/gtest.h>

namespace roadsum {
namespace {

using Cut = TDecoBevelCut;

TEST(DecoBevel, TheDefaultFrameDrawsNothingAndTakesNoRoom) {
    DecoBevelSettings bevel;
    EXPECT_EQ(DecoBevelThickness(bevel), 0);
    EXPECT_TRUE(DecoBevelBands(bevel).empty());
    // The main window's line: custom mode, standard style none.
    bevel.standard_style = TDecoStandardStyle::lsNone;
    EXPECT_EQ(DecoBevelThickness(bevel), 0);
}

TEST(DecoBevel, CustomThicknessAddsTheBordersAndTheWidthsOfTheStylesShown) {
    DecoBevelSettings b;
    b.border_width = 2;
    b.border_inner_width = 1;
    b.width_outer = 3;
    b.width_inner = 4;
    EXPECT_EQ(DecoBevelThickness(b), 3) << "no styles: only the borders";
    b.style_outer = Cut::bvLowered;
    EXPECT_EQ(DecoBevelThickness(b), 6);
    b.style_inner = Cut::bvRaised;
    EXPECT_EQ(DecoBevelThickness(b), 10);
    // The two frame styles take one more each.
    b.style_outer = Cut::bvFrameLowered;
    b.style_inner = Cut::bvFrameRaised;
    EXPECT_EQ(DecoBevelThickness(b), 12);
    b.style_outer = Cut::bvNormal;
    b.style_inner = Cut::bvShadow;
    EXPECT_EQ(DecoBevelThickness(b), 4 + 1) << "an inner shadow gives WidthInner + BorderInnerWidth";
    b.style_outer = Cut::bvShadow;
    b.style_inner = Cut::bvNone;
    EXPECT_EQ(DecoBevelThickness(b), 3 + 2 + 1);
}

TEST(DecoBevel, EdgeStandardAndWindowsModes) {
    DecoBevelSettings b;
    b.border_inner_width = 2;
    b.mode = TDecoBevelMode::bmEdge;
    EXPECT_EQ(DecoBevelThickness(b), 2 + 2);
    b.border_sides = beTop;
    EXPECT_EQ(DecoBevelThickness(b), 2 + 2) << "one side on is enough";
    b.border_sides = 0;
    EXPECT_EQ(DecoBevelThickness(b), 2) << "no side on: only the room inside";
    b.border_sides = kAllBorderSides;
    b.mode = TDecoBevelMode::bmStandard;
    const std::pair<TDecoStandardStyle, int> standard[] = {
        {TDecoStandardStyle::lsNone, 0},         {TDecoStandardStyle::lsSingle, 1},
        {TDecoStandardStyle::lsLowered, 1},      {TDecoStandardStyle::lsRaisedspb, 1},
        {TDecoStandardStyle::lsRaisedExt, 2},    {TDecoStandardStyle::lsFrameInset, 2},
        {TDecoStandardStyle::lsWindowBorder, 2}, {TDecoStandardStyle::lsSingleLowered, 2},
        {TDecoStandardStyle::lsDoubleRaised, 2}};
    for (auto [style, thickness] : standard) {
        b.standard_style = style;
        EXPECT_EQ(DecoBevelThickness(b), thickness + 2) << static_cast<int>(style);
    }
    b.mode = TDecoBevelMode::bmWindows;
    EXPECT_EQ(DecoBevelThickness(b), 2 + 2);
}

TEST(DecoBevel, BandsRunFromTheOutsideInWithTheirColours) {
    DecoBevelSettings b;
    b.style_outer = Cut::bvFrameLowered;
    b.width_outer = 2;
    b.border_width = 1;
    b.border_color = clNavy;
    b.style_inner = Cut::bvRaised;
    b.border_inner_width = 3;
    b.border_sides = beLeft | beBottom;
    std::vector<BevelBand> bands = DecoBevelBands(b);
    unsigned sides = beLeft | beBottom;
    EXPECT_EQ(bands, (std::vector<BevelBand>{{clBtnShadow, clBtnHighlight, 2, sides},
                                              {clBtnHighlight, clBtnShadow, 1, sides},
                                              {clNavy, clNavy, 1, sides},
                                              {clBtnHighlight, clBtnShadow, 1, sides},
                                              {clNone, clNone, 3, sides}}));
    // A shadow paints only its bottom and right edges, in the shadow colour.
    b.style_inner = Cut::bvShadow;
    b.shadow_color = clTeal;
    bands = DecoBevelBands(b);
    ASSERT_EQ(bands.size(), 2u);
    EXPECT_EQ(bands[0], (BevelBand{clNone, clTeal, 1, sides}));
}

}  // namespace
}  // namespace roadsum
