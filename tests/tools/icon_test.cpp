#include <gtest/gtest.h>

#include <cstring>

#include "../../tools/icon/ico_file.h"
#include "../../tools/icon/roadsum_icon.h"

namespace roadsum::art {
namespace {

unsigned le16(const std::vector<std::uint8_t>& b, std::size_t at) { return b[at] | b[at + 1] << 8; }
std::uint32_t le32(const std::vector<std::uint8_t>& b, std::size_t at) { return le16(b, at) | le16(b, at + 2) << 16; }
std::uint32_t alpha(std::uint32_t argb) { return argb >> 24; }

TEST(RoadsumIcon, IsOpaqueOnItsTileAndTransparentInTheCorners) {
    for (int size : {16, 24, 32, 48}) {
        auto pixels = roadsum_icon(size);
        ASSERT_EQ(pixels.size(), static_cast<std::size_t>(size * size));
        EXPECT_EQ(alpha(pixels[0]), 0u) << size;
        EXPECT_EQ(alpha(pixels[size * size - 1]), 0u) << size;
        EXPECT_EQ(alpha(pixels[(size / 2) * size + size / 2]), 255u) << size;
        // The road at the bottom centre is dark grey, the sky at the top left blue.
        std::uint32_t road = pixels[(size * 9 / 10) * size + size / 2 - size / 6];
        EXPECT_LT((road >> 16) & 0xFF, 0x80u) << size;
        std::uint32_t sky = pixels[(size / 4) * size + size / 4];
        EXPECT_GT(sky & 0xFF, (sky >> 16) & 0xFF) << "blue over red at " << size;
    }
}

TEST(IcoFile, HoldsEveryImageWithItsSizeDepthAndMask) {
    std::vector<std::pair<IconImage, IconDepth>> images;
    for (IconDepth depth : {IconDepth::Colours256, IconDepth::Argb32})
        for (int size : {16, 48}) images.push_back({{size, roadsum_icon(size)}, depth});
    auto ico = ico_file(images);
    ASSERT_GE(ico.size(), 6u + 4 * 16);
    EXPECT_EQ(le16(ico, 0), 0u);
    EXPECT_EQ(le16(ico, 2), 1u);
    ASSERT_EQ(le16(ico, 4), 4u);
    const int sizes[] = {16, 48, 16, 48}, bits[] = {8, 8, 32, 32};
    for (int i = 0; i < 4; ++i) {
        std::size_t entry = 6 + 16 * i;
        EXPECT_EQ(ico[entry], sizes[i]);
        EXPECT_EQ(ico[entry + 1], sizes[i]);
        EXPECT_EQ(le16(ico, entry + 6), static_cast<unsigned>(bits[i]));
        std::uint32_t length = le32(ico, entry + 8), offset = le32(ico, entry + 12);
        ASSERT_LE(offset + length, ico.size());
        // The image: a header of twice the height, then palette, colours and mask.
        EXPECT_EQ(le32(ico, offset), 40u);
        EXPECT_EQ(le32(ico, offset + 4), static_cast<std::uint32_t>(sizes[i]));
        EXPECT_EQ(le32(ico, offset + 8), static_cast<std::uint32_t>(2 * sizes[i]));
        std::size_t n = sizes[i];
        std::size_t colour_stride = ((n * bits[i] + 31) / 32) * 4, mask_stride = ((n + 31) / 32) * 4;
        std::size_t palette = bits[i] == 8 ? 1024 : 0;
        EXPECT_EQ(length, 40 + palette + (colour_stride + mask_stride) * n);
        // The mask's first stored row is the bottom one: its corners are transparent.
        std::size_t mask = offset + 40 + palette + colour_stride * n;
        EXPECT_TRUE(ico[mask] & 0x80) << "bottom-left corner masked";
        std::size_t middle_row = mask + mask_stride * (n / 2);
        EXPECT_FALSE(ico[middle_row + n / 16] & (0x80 >> (n / 2 % 8))) << "the middle is drawn";
    }
}

TEST(Palettise, KeepsAtMost256ColoursAndMapsTransparencyToIndexZero) {
    std::vector<std::uint32_t> pixels;
    for (std::uint32_t i = 0; i < 4096; ++i) pixels.push_back(0xFF000000 | (i * 0x0F0F0Fu & 0xFFFFFF));
    pixels.push_back(0x00FFFFFF);
    Palettised p = palettise(pixels);
    EXPECT_LE(p.palette.size(), 256u);
    EXPECT_EQ(p.indexes.back(), 0);
    for (std::size_t i = 0; i + 1 < pixels.size(); ++i) ASSERT_NE(p.indexes[i], 0) << i;
    Palettised few = palettise({0xFF102030, 0xFF102030, 0xFFE0E0E0});
    ASSERT_EQ(few.palette.size(), 3u);
    EXPECT_EQ(few.palette[few.indexes[0]], 0x102030u & 0xFCFCFC);
    EXPECT_EQ(few.indexes[0], few.indexes[1]);
    EXPECT_NE(few.indexes[0], few.indexes[2]);
}

}  // namespace
}  // namespace roadsum::art
