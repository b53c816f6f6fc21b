#include "controls/gradient_colors.h"

#include "controls/shapebutton/contour_math.h"

#include <gtest/gtest.h>

namespace roadsum {
namespace {

TEST(GradientColors, RoundingTakesAnExactHalfToTheEvenNeighbour) {
    EXPECT_EQ(contour_math::round_even(0.5), 0);
    EXPECT_EQ(contour_math::round_even(1.5), 2);
    EXPECT_EQ(contour_math::round_even(2.5), 2);
    EXPECT_EQ(contour_math::round_even(-0.5), 0);
    EXPECT_EQ(contour_math::round_even(-1.5), -2);
    EXPECT_EQ(contour_math::round_even(-2.5), -2);
    EXPECT_EQ(contour_math::round_even(2.4999), 2);
    EXPECT_EQ(contour_math::round_even(2.5001), 3);
    EXPECT_EQ(contour_math::round_even(-7.6), -8);
}

TEST(GradientColors, TwoBandsAreExactlyTheEndColoursAndEqualEndsAreFlat) {
    EXPECT_EQ(GradientBandColors(clRed, clYellow, 2), (std::vector<TColor>{clRed, clYellow}));
    TColor flat = RGBColor(0x3D, 0x6D, 0xEF);
    std::vector<TColor> colors = GradientBandColors(flat, flat, 128);
    ASSERT_EQ(colors.size(), 128u);
    for (TColor c : colors) EXPECT_EQ(c, flat);
}

TEST(GradientColors, ChannelsRoundHalvesToEvenInBothDirections) {
    // Steps of 2.5: a rounding of halves upward would give 3 and 8 (or 7 going down).
    std::vector<TColor> up = GradientBandColors(RGBColor(0, 0, 0), RGBColor(10, 0, 255), 5);
    std::vector<int> reds, blues;
    for (TColor c : up) reds.push_back(RedOf(c)), blues.push_back(BlueOf(c));
    EXPECT_EQ(reds, (std::vector<int>{0, 2, 5, 8, 10}));
    EXPECT_EQ(blues, (std::vector<int>{0, 64, 128, 191, 255}));  // steps of 63.75
    std::vector<TColor> down = GradientBandColors(RGBColor(10, 0, 0), RGBColor(0, 0, 0), 5);
    reds.clear();
    for (TColor c : down) reds.push_back(RedOf(c));
    EXPECT_EQ(reds, (std::vector<int>{10, 8, 5, 2, 0}));
}

TEST(GradientColors, TheBandOfTheMainWindow) {
    std::vector<TColor> colors = GradientBandColors(RGBColor(0xC0, 0xD2, 0xF1), RGBColor(0xD5, 0xE4, 0xF2), 128);
    ASSERT_EQ(colors.size(), 128u);
    EXPECT_EQ(colors.front(), RGBColor(0xC0, 0xD2, 0xF1));
    EXPECT_EQ(colors[64], RGBColor(203, 219, 242));
    EXPECT_EQ(colors.back(), RGBColor(0xD5, 0xE4, 0xF2));
}

TEST(GradientColors, AllTwoHundredFiftySixBandsOfTheWholeRange) {
    std::vector<TColor> colors = GradientBandColors(clBlack, clWhite, 256);
    ASSERT_EQ(colors.size(), 256u);
    for (int i = 0; i < 256; ++i) EXPECT_EQ(colors[i], RGBColor(i, i, i));
}

// Paints the bands in order as the control does and returns the band each pixel shows.
std::vector<int> Rasterize(int bands, int extent) {
    std::vector<int> shown(extent, -1);
    for (int i = 0; i < bands; ++i) {
        BandSpan span = GradientBandSpan(i, bands, extent);
        EXPECT_GE(span.size, 1);
        for (int p = span.start; p < span.start + span.size && p < extent; ++p) shown[p] = i;
    }
    return shown;
}

TEST(GradientSpans, EveryPixelIsPaintedWhateverTheSizeAndTheBands) {
    for (int bands : {2, 3, 7, 100, 128, 255, 256})
        for (int extent = 1; extent <= 600; ++extent) {
            std::vector<int> shown = Rasterize(bands, extent);
            for (int p = 0; p < extent; ++p) ASSERT_GE(shown[p], 0) << bands << " bands, " << extent << " px, pixel " << p;
            // With a pixel or more per band the first pixel shows the first band and the last
            // the last.
            if (extent >= bands) {
                ASSERT_EQ(shown.front(), 0) << bands << " bands, " << extent << " px";
                ASSERT_EQ(shown.back(), bands - 1) << bands << " bands, " << extent << " px";
            }
        }
}

TEST(GradientSpans, EachRowOfTheMainWindowsBandShowsTheLastBandLandingOnIt) {
    std::vector<int> shown = Rasterize(128, 84);
    for (int i = 0; i < 128; ++i) {
        BandSpan span = GradientBandSpan(i, 128, 84);
        EXPECT_EQ(span.size, 1) << i;  // 1.5 x 0.65625 rounds to 1
    }
    EXPECT_EQ(shown[0], 0);
    EXPECT_EQ(shown[1], 2);
    EXPECT_EQ(shown[41], 63);
    EXPECT_EQ(shown[42], 64);
    EXPECT_EQ(shown[83], 127);
}

TEST(GradientSpans, ANarrowBandOfManyBandsStillPaintsEveryRow) {
    EXPECT_EQ(Rasterize(128, 10), (std::vector<int>{6, 19, 32, 44, 57, 70, 83, 95, 108, 121}));
}

}  // namespace
}  // namespace roadsum
