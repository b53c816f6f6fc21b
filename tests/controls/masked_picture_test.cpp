#include "controls/masked_picture.h"

#include <gtest/gtest.h>

namespace roadsum {
namespace {

constexpr TColor kMagenta = RGBColor(255, 0, 255);

TEST(MaskedPicture, CellsAreCutAndMaskedByTheTransparentColour) {
    // Two 2 x 2 cells side by side.
    std::vector<TColor> pixels = {clRed, kMagenta, clBlack, clWhite,  //
                                  kMagenta, clTeal, clNavy, kMagenta};
    MaskedPicture first = CutCell(pixels, 4, 2, 0, 2, kMagenta);
    EXPECT_EQ(first.width, 2);
    EXPECT_EQ(first.height, 2);
    EXPECT_EQ(first.pixels, (std::vector<TColor>{clRed, kMagenta, kMagenta, clTeal}));
    EXPECT_EQ(first.opaque, (std::vector<std::uint8_t>{1, 0, 0, 1}));
    MaskedPicture second = CutCell(pixels, 4, 2, 2, 2, kMagenta);
    EXPECT_EQ(second.pixels, (std::vector<TColor>{clBlack, clWhite, clNavy, kMagenta}));
    EXPECT_EQ(second.opaque, (std::vector<std::uint8_t>{1, 1, 1, 0}));
    // Cells reaching past the picture are cut short; bad sizes give an empty picture.
    EXPECT_EQ(CutCell(pixels, 4, 2, 3, 2, kMagenta).width, 1);
    EXPECT_TRUE(CutCell(pixels, 4, 2, 4, 2, kMagenta).Empty());
    EXPECT_TRUE(CutCell(pixels, 5, 2, 0, 2, kMagenta).Empty()) << "fewer pixels than the size says";
}

TEST(MaskedPicture, GreyLevelsWeighTheChannelsAsTheEyeDoes) {
    EXPECT_EQ(GreyLevel(clRed), 76);
    EXPECT_EQ(GreyLevel(RGBColor(0, 255, 0)), 150);
    EXPECT_EQ(GreyLevel(RGBColor(0, 0, 255)), 28);
    EXPECT_EQ(GreyLevel(clWhite), 255);
    EXPECT_EQ(GreyLevel(clBlack), 0);
    EXPECT_EQ(GreyLevel(RGBColor(0x3D, 0x6D, 0xEF)), (30 * 0x3D + 59 * 0x6D + 11 * 0xEF) / 100);
}

TEST(MaskedPicture, TheGreyCopyKeepsTheMask) {
    std::vector<TColor> pixels = {clRed, kMagenta, RGBColor(0, 0, 255), clWhite};
    MaskedPicture picture = CutCell(pixels, 2, 2, 0, 2, kMagenta);
    MaskedPicture grey = GreyCopy(picture);
    EXPECT_EQ(grey.opaque, picture.opaque);
    EXPECT_EQ(grey.pixels[0], RGBColor(76, 76, 76));
    EXPECT_EQ(grey.pixels[2], RGBColor(28, 28, 28));
    EXPECT_EQ(grey.pixels[3], clWhite);
}

TEST(MaskedPicture, TheDisabledShapeIsWhatIsNeitherWhiteNorTheTopLeftColour) {
    std::vector<TColor> pixels = {kMagenta, clWhite, clBlack,  //
                                  clTeal, kMagenta, RGBColor(254, 255, 255)};
    MaskedPicture picture = CutCell(pixels, 3, 2, 0, 3, kMagenta);
    EXPECT_EQ(DisabledShape(picture), (std::vector<std::uint8_t>{0, 0, 1, 1, 0, 1}));
    EXPECT_TRUE(DisabledShape(MaskedPicture{}).empty());
}

}  // namespace
}  // namespace roadsum
