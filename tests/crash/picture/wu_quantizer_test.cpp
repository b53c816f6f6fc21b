#include "crash/picture/wu_quantizer.h"

#include <gtest/gtest.h>

#include <set>

#include "sample_pictures.h"

namespace roadsum {
namespace {

std::uint32_t mapped(const IndexedImage& q, std::size_t i) { return q.palette[q.indices[i]]; }

double squared_error(const PixelImage& image, const IndexedImage& q) {
    double sum = 0;
    for (std::size_t i = 0; i < image.pixels.size(); ++i) {
        const std::uint32_t a = image.pixels[i], b = mapped(q, i);
        const double dr = double(red_of(a)) - red_of(b), dg = double(green_of(a)) - green_of(b),
                     db = double(blue_of(a)) - blue_of(b);
        sum += dr * dr + dg * dg + db * db;
    }
    return sum;
}

TEST(WuQuantizer, KeepsUpTo256ColoursOfSeparateCellsExactly) {
    // 256 colours, each in a cell of its own (the low three bits of each channel vary freely).
    testing::Lcg random(3);
    std::set<std::uint32_t> cells;
    std::vector<std::uint32_t> colours;
    while (colours.size() < 256) {
        const std::uint32_t c = random.next() & 0xFFFFFF;
        if (cells.insert(c & 0xF8F8F8).second) colours.push_back(c);
    }
    PixelImage image(64, 40);
    for (std::size_t i = 0; i < image.pixels.size(); ++i) image.pixels[i] = colours[(i * 13) % colours.size()];
    const IndexedImage q = quantize_wu(image);
    EXPECT_EQ(q.palette.size(), 256u);
    ASSERT_EQ(q.indices.size(), image.pixels.size());
    for (std::size_t i = 0; i < image.pixels.size(); ++i) ASSERT_EQ(mapped(q, i), image.pixels[i]) << i;
}

TEST(WuQuantizer, ColoursOfOneCellBecomeTheirWeightedMean) {
    PixelImage image(4, 1, rgb_pixel(240, 240, 240));
    image.pixels[3] = rgb_pixel(244, 244, 244);  // same 5-bit cell as 240
    image.pixels[0] = rgb_pixel(10, 200, 30);
    const IndexedImage q = quantize_wu(image);
    ASSERT_EQ(q.palette.size(), 2u);
    EXPECT_EQ(mapped(q, 0), rgb_pixel(10, 200, 30));
    EXPECT_EQ(mapped(q, 1), rgb_pixel(241, 241, 241));  // (2 * 240 + 244) / 3, rounded
    EXPECT_EQ(mapped(q, 3), mapped(q, 1));
}

TEST(WuQuantizer, HonoursTheColourLimitAndGainsWithEveryColourMore) {
    const PixelImage image = testing::screenshot_like(240, 180);
    double previous = -1;
    for (int colours : {256, 64, 16, 2, 1}) {
        const IndexedImage q = quantize_wu(image, colours);
        EXPECT_EQ(q.palette.size(), static_cast<std::size_t>(colours));
        const double error = squared_error(image, q);
        EXPECT_GE(error, previous) << colours;
        previous = error;
    }
    // One entry: the mean of the whole picture, which every pixel takes.
    PixelImage two(2, 1);
    two.pixels = {rgb_pixel(0, 0, 0), rgb_pixel(254, 100, 51)};
    const IndexedImage one = quantize_wu(two, 1);
    EXPECT_EQ(one.palette, std::vector<std::uint32_t>{rgb_pixel(127, 50, 26)});  // 25.5 rounds up
    EXPECT_EQ(one.indices, (std::vector<std::uint8_t>{0, 0}));
}

TEST(WuQuantizer, SmoothPicturesStayClose) {
    const PixelImage image = testing::rainbow(256, 256);
    const IndexedImage q = quantize_wu(image);
    EXPECT_LE(q.palette.size(), 256u);
    // 65536 colours into 256: about 6 units per channel on average at most.
    EXPECT_LT(squared_error(image, q) / double(image.pixels.size()), 3 * 6 * 6);
}

TEST(WuQuantizer, EmptyAndSingleColourPictures) {
    EXPECT_TRUE(quantize_wu(PixelImage{}).palette.empty());
    const IndexedImage q = quantize_wu(PixelImage(5, 5, 0x123456));
    EXPECT_EQ(q.palette, std::vector<std::uint32_t>{0x123456});
    EXPECT_EQ(q.indices, std::vector<std::uint8_t>(25, 0));
}

}  // namespace
}  // namespace roadsum
