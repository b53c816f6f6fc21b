#include "controls/shapebutton/region_string.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace roadsum {
namespace {

using ::testing::ElementsAre;

TEST(RegionString, PairsOfCharactersGiveBytes) {
    using namespace std::string_literals;
    // "A" with anything after it is 65; "!" with a character gives its code minus 128.
    EXPECT_THAT(DecodeRegionString("Az!\xC1!\x80!\x7F"s), ElementsAre(65, 65, 0, 255));
    EXPECT_THAT(DecodeRegionString("AzB"), ElementsAre(65)) << "an odd last character is ignored";
    EXPECT_TRUE(DecodeRegionString("").empty());
}

TEST(RegionString, EncodingRoundTripsEveryByte) {
    std::vector<std::uint8_t> all;
    for (int b = 0; b < 256; ++b) all.push_back(static_cast<std::uint8_t>(b));
    const std::string text = EncodeRegionString(all);
    EXPECT_EQ(text.size(), 512u);
    EXPECT_EQ(DecodeRegionString(text), all);
    EXPECT_EQ(EncodeRegionString(std::vector<std::uint8_t>{'A', '!'}), "AA!\xA1");
}

TEST(RegionString, RegionDataRoundTrips) {
    const std::vector<Rect> rects = {{0, 0, 20, 10}, {0, 10, 10, 20}, {-5, 30, 7, 31}};
    const std::vector<std::uint8_t> data = RegionData(rects);
    ASSERT_EQ(data.size(), 32u + 3 * 16);
    EXPECT_EQ(data[0], 32);
    EXPECT_EQ(data[4], 1);
    EXPECT_EQ(data[8], 3);
    EXPECT_EQ(data[16], 0xFB) << "the bounding box's left, -5";
    const auto back = ParseRegionData(data);
    ASSERT_TRUE(back);
    EXPECT_EQ(*back, rects);
    EXPECT_EQ(ParseRegionData(DecodeRegionString(EncodeRegionString(data))), back);
    EXPECT_THAT(*ParseRegionData(RegionData({})), ElementsAre());
}

TEST(RegionString, BadDataIsRefused) {
    const std::vector<Rect> one = {{0, 0, 5, 5}};
    const std::vector<std::uint8_t> good = RegionData(one);
    EXPECT_TRUE(ParseRegionData(good));
    EXPECT_FALSE(ParseRegionData(std::span(good).first(31))) << "no whole header";
    auto bad = good;
    bad[0] = 31;
    EXPECT_FALSE(ParseRegionData(bad)) << "header size";
    bad = good;
    bad[4] = 2;
    EXPECT_FALSE(ParseRegionData(bad)) << "not rectangles";
    bad = good;
    bad[8] = 2;
    EXPECT_FALSE(ParseRegionData(bad)) << "more rectangles than data";
    bad[11] = 0x80;
    EXPECT_FALSE(ParseRegionData(bad)) << "a count that overflows";
    // Extra bytes after the rectangles are harmless.
    bad = good;
    bad.resize(bad.size() + 5, 0xEE);
    EXPECT_TRUE(ParseRegionData(bad));
}

TEST(RegionString, EmptyRectanglesAreDropped) {
    const std::vector<Rect> rects = {{5, 5, 5, 9}, {9, 0, 2, 3}, {0, 0, 1, 1}};
    EXPECT_THAT(*ParseRegionData(RegionData(rects)), ElementsAre(Rect{0, 0, 1, 1}));
}

}  // namespace
}  // namespace roadsum
