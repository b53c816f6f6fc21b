#include <gtest/gtest.h>
#include <zlib.h>

#include <map>

#include "crash/picture/grey_palette.h"
#include "crash/picture/png_encoding.h"
#include "crash/picture/png_writer.h"
#include "crash/picture/wu_quantizer.h"
#include "picture_files.h"
#include "sample_pictures.h"

namespace roadsum {
namespace {

using testing::Expect;
using testing::save_for_checker;

std::uint32_t be32(const std::string& s, std::size_t at) {
    auto b = [&](std::size_t i) { return static_cast<std::uint32_t>(static_cast<std::uint8_t>(s[at + i])); };
    return b(0) << 24 | b(1) << 16 | b(2) << 8 | b(3);
}

struct Chunk {
    std::string type, data;
    std::uint32_t crc;
};

std::vector<Chunk> chunks_of(const std::string& png) {
    std::vector<Chunk> chunks;
    for (std::size_t at = 8; at + 12 <= png.size();) {
        const std::uint32_t length = be32(png, at);
        chunks.push_back({png.substr(at + 4, 4), png.substr(at + 8, length), be32(png, at + 8 + length)});
        at += 12 + length;
    }
    return chunks;
}

std::string inflate_zlib(const std::string& stream) {
    std::string out(1 << 20, '\0');
    uLongf length = static_cast<uLongf>(out.size());
    EXPECT_EQ(uncompress(reinterpret_cast<Bytef*>(out.data()), &length, reinterpret_cast<const Bytef*>(stream.data()),
                         static_cast<uLong>(stream.size())),
              Z_OK);
    out.resize(length);
    return out;
}

// A 3 x 2 picture of four levels: every byte of the file is known.
TEST(PngWriter, WritesTheChunksTheZlibStreamAndTheirChecksums) {
    IndexedImage image{3, 2, {}, {0, 1, 2, 15, 14, 13}};
    for (std::uint8_t level : kGreyLevels) image.palette.push_back(rgb_pixel(level, level, level));
    const std::string png = write_indexed_png(image);
    ASSERT_EQ(png.substr(0, 8), std::string("\x89PNG\r\n\x1A\n", 8));

    const std::vector<Chunk> chunks = chunks_of(png);
    ASSERT_EQ(chunks.size(), 4u);
    EXPECT_EQ(chunks[0].type + chunks[1].type + chunks[2].type + chunks[3].type, "IHDRPLTEIDATIEND");
    for (const Chunk& c : chunks) {
        const std::string covered = c.type + c.data;
        EXPECT_EQ(c.crc, ::crc32(0, reinterpret_cast<const Bytef*>(covered.data()), static_cast<uInt>(covered.size())))
            << c.type;
    }
    EXPECT_EQ(chunks[0].data, std::string("\0\0\0\3\0\0\0\2\4\3\0\0\0", 13));  // 3 x 2, depth 4, palette colour
    ASSERT_EQ(chunks[1].data.size(), 48u);
    EXPECT_EQ(chunks[1].data.substr(3, 3), "\x1C\x1C\x1C");
    EXPECT_TRUE(chunks[3].data.empty());
    EXPECT_EQ(png.size(), 8 + 25 + 60 + 12 + chunks[2].data.size() + 12);

    const std::string& idat = chunks[2].data;
    EXPECT_EQ(idat.substr(0, 2), "\x78\x01");
    const std::string rows = inflate_zlib(idat);  // checks the Adler-32
    EXPECT_EQ(rows, std::string("\0\x01\x20\0\xFE\xD0", 6));  // filter 0, high nibble first, zero padding
    EXPECT_EQ(be32(idat, idat.size() - 4), ::adler32(1, reinterpret_cast<const Bytef*>(rows.data()), 6));
}

TEST(PngWriter, RefusesPicturesItCannotHold) {
    const std::vector<std::uint32_t> two = {0, 0xFFFFFF};
    struct Case {
        const char* what;
        IndexedImage image;
    } cases[] = {
        {"empty", {0, 0, two, {}}},
        {"no palette", {1, 1, {}, {0}}},
        {"index outside the palette", {2, 1, two, {0, 2}}},
        {"too few indices", {2, 2, two, {0, 1, 1}}},
        {"257 entries", {1, 1, std::vector<std::uint32_t>(257), {0}}},
    };
    for (const Case& c : cases) EXPECT_EQ(write_indexed_png(c.image), "") << c.what;
}

TEST(PngWriter, EightBitsForMoreThanSixteenEntries) {
    for (std::size_t entries : {2u, 16u, 17u, 256u}) {
        IndexedImage image{2, 1, std::vector<std::uint32_t>(entries), {0, static_cast<std::uint8_t>(entries - 1)}};
        const std::string png = write_indexed_png(image);
        ASSERT_FALSE(png.empty());
        EXPECT_EQ(png[8 + 8 + 8], entries > 16 ? 8 : 4) << entries;
        EXPECT_EQ(chunks_of(png)[1].data.size(), entries * 3);
    }
}

TEST(Adler32, AgreesWithZlibAcrossItsReductionRuns) {
    for (std::size_t size : {0u, 1u, 5551u, 5552u, 5553u, 100000u}) {
        const std::string data(size, '\xFF');
        EXPECT_EQ(adler32(bytes_of(data)), ::adler32(1, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(size)))
            << size;
    }
}

TEST(GreyLevels, BrightnessAndNearestLevel) {
    const int steps[] = {28, 24, 21, 19, 17, 16, 15, 15, 15, 15, 14, 14, 14, 14, 14};
    for (int i = 0; i < 15; ++i) EXPECT_EQ(kGreyLevels[i + 1] - kGreyLevels[i], steps[i]);
    EXPECT_EQ(grey_of(rgb_pixel(255, 255, 255)), 255u);
    EXPECT_EQ(grey_of(rgb_pixel(255, 0, 0)), 76u);   // 77 * 255 / 256
    EXPECT_EQ(grey_of(rgb_pixel(0, 255, 0)), 150u);  // 151 * 255 / 256
    EXPECT_EQ(grey_of(rgb_pixel(0, 0, 255)), 27u);
    const std::map<unsigned, unsigned> nearest = {{0, 0}, {13, 0}, {14, 0}, {15, 1}, {40, 1}, {41, 2}, {248, 14}, {249, 15}, {255, 15}};
    for (auto [grey, index] : nearest) EXPECT_EQ(grey_level_index(grey), index) << grey;
}

// Which form encode_png chose: the grey file has the 16-entry palette.
bool is_grey(const std::string& png) { return chunks_of(png)[1].data.size() == 48; }

TEST(PngFormats, GreyReplacesColourOnlyWhenColourIsOverTheFormatsSizeAndGreyIsSmaller) {
    const PixelImage small = testing::screenshot_like(120, 90);
    const PixelImage noisy = testing::noise(256, 256);    // colour about 66 KB, grey about half
    const PixelImage noisier = testing::noise(600, 600);  // colour about 360 KB
    const std::string noisy_colour = encode_colour_png(noisy);
    ASSERT_GT(noisy_colour.size(), png_grey_threshold(2));
    ASSERT_LT(noisy_colour.size(), png_grey_threshold(3));
    ASSERT_GT(encode_colour_png(noisier).size(), png_grey_threshold(5));

    struct Case {
        const PixelImage* image;
        int format;
        bool grey;
    } cases[] = {
        {&small, 0, false}, {&small, 1, true},    {&small, 2, false},   {&noisy, 0, false},  {&noisy, 2, true},
        {&noisy, 3, false}, {&noisy, 6, false},   {&noisy, -1, false},  {&noisier, 4, true}, {&noisier, 5, true},
        {&noisier, 8, false},
    };
    for (const Case& c : cases) {
        const std::string png = encode_png(*c.image, c.format);
        ASSERT_FALSE(png.empty());
        EXPECT_EQ(is_grey(png), c.grey) << c.image->width << " format " << c.format << ": " << png.size() << " bytes";
        if (c.grey && c.format != 1) {
            EXPECT_LT(png.size(), encode_colour_png(*c.image).size());
        }
    }
    EXPECT_EQ(encode_png(PixelImage{}, 0), "");
    EXPECT_EQ(encode_png(PixelImage{}, 1), "");
}

// Files for check_pictures.py: sizes with a padded last nibble, single rows and columns,
// every brightness, few colours (exact), smooth and screen-like pictures (near).
TEST(PngFiles, WrittenForRealReaders) {
    PixelImage levels(37, 19);
    for (int i = 0; i < 37 * 19; ++i)
        levels.pixels[static_cast<std::size_t>(i)] = i < 256 ? rgb_pixel(i, i, i) : testing::noise(1, 1, i).pixels[0];
    PixelImage few(23, 11);
    const std::uint32_t colours[] = {0x000000, 0xFFFFFF, 0xD4D0C8, 0x0A246A, 0xA6CAF0, 0x800000, 0x008000, 0x808080};
    for (std::size_t i = 0; i < few.pixels.size(); ++i) few.pixels[i] = colours[(i * 7 + i / 23) % 8];

    struct Case {
        const char* name;
        PixelImage image;
        Expect expect;
        int max_error;
        double mean_error;
    } cases[] = {
        {"grey_levels_37x19", levels, Expect::grey, 0, 0},
        {"grey_screen_300x200", testing::screenshot_like(300, 200), Expect::grey, 0, 0},
        {"grey_pixel", PixelImage(1, 1, 0x336699), Expect::grey, 0, 0},
        {"grey_row_1001x1", testing::rainbow(1001, 1), Expect::grey, 0, 0},
        {"colour_few_23x11", few, Expect::colour, 0, 0},
        {"colour_pixel", PixelImage(1, 1, 0x336699), Expect::colour, 0, 0},
        {"colour_column_1x300", testing::rainbow(1, 300), Expect::colour, 4, 1.5},
        {"colour_rainbow_256x256", testing::rainbow(256, 256), Expect::colour, 16, 4},
        {"colour_screen_300x200", testing::screenshot_like(300, 200), Expect::colour, 8, 1.0},
    };
    for (const Case& c : cases) {
        const std::string png = c.expect == Expect::grey ? encode_png(c.image, 1) : encode_png(c.image, 0);
        ASSERT_FALSE(png.empty()) << c.name;
        EXPECT_TRUE(save_for_checker(c.name, png, c.image, c.expect, c.max_error, c.mean_error)) << c.name;
    }
}

}  // namespace
}  // namespace roadsum
