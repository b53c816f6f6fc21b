#include "crash/picture/bmp_file.h"

#include <gtest/gtest.h>

#include "crash/common/little_endian.h"
#include "picture_files.h"
#include "sample_pictures.h"

namespace roadsum {
namespace {

ByteView view(const std::string& s) { return bytes_of(s); }

TEST(BmpFile, WritesA24BitBottomUpFileWithPaddedRows) {
    PixelImage image(3, 2);
    image.pixels = {0x010203, 0x040506, 0x070809, 0x0A0B0C, 0x0D0E0F, 0x101112};
    const std::string bmp = write_bmp(image);
    ASSERT_EQ(bmp.size(), 54u + 2 * 12);
    const auto* p = reinterpret_cast<const std::uint8_t*>(bmp.data());
    EXPECT_EQ(bmp.substr(0, 2), "BM");
    EXPECT_EQ(get_le32(p + 2), 78u);
    EXPECT_EQ(get_le32(p + 10), 54u);
    EXPECT_EQ(get_le32(p + 14), 40u);
    EXPECT_EQ(get_le32(p + 18), 3u);
    EXPECT_EQ(get_le32(p + 22), 2u);
    EXPECT_EQ(get_le16(p + 26), 1);
    EXPECT_EQ(get_le16(p + 28), 24);
    EXPECT_EQ(get_le32(p + 30), 0u);
    EXPECT_EQ(get_le32(p + 34), 24u);
    // The bottom row first, blue green red, padded to 12 bytes.
    EXPECT_EQ(bmp.substr(54), std::string("\x0C\x0B\x0A\x0F\x0E\x0D\x12\x11\x10\0\0\0\x03\x02\x01\x06\x05\x04\x09\x08\x07\0\0\0", 24));
    EXPECT_EQ(write_bmp(PixelImage{}), "");
}

TEST(BmpFile, ReadsWhatItWritesAndTheOtherLayouts) {
    for (auto [w, h] : {std::pair{1, 1}, {2, 3}, {5, 4}, {64, 7}}) {
        const PixelImage image = testing::noise(w, h, static_cast<std::uint32_t>(w * 100 + h));
        const BmpReadResult read = read_bmp(view(write_bmp(image)));
        ASSERT_TRUE(read.image) << read.error;
        EXPECT_EQ(*read.image, image) << w << "x" << h;
    }

    // A 2 x 2 32-bit picture stored top-down, and the same with bit-field masks in an unusual
    // order (blue high, red low) behind a 40-byte header.
    auto header = [](std::int32_t height, unsigned compression, std::uint32_t offset) {
        std::string h = "BM" + le32_bytes(offset + 16) + le32_bytes(0) + le32_bytes(offset) + le32_bytes(40) +
                        le32_bytes(2) + le32_bytes(static_cast<std::uint32_t>(height)) + le16_bytes(1) + le16_bytes(32) +
                        le32_bytes(compression) + le32_bytes(16) + std::string(16, '\0');
        return h;
    };
    const std::string top_down = header(-2, 0, 54) + le32_bytes(0xFF112233) + le32_bytes(0x00445566) +
                                 le32_bytes(0x00778899) + le32_bytes(0x00AABBCC);
    const BmpReadResult a = read_bmp(view(top_down));
    ASSERT_TRUE(a.image) << a.error;
    EXPECT_EQ(a.image->pixels, (std::vector<std::uint32_t>{0x112233, 0x445566, 0x778899, 0xAABBCC}));

    const std::string fields = header(2, 3, 66) + le32_bytes(0x000000FF) + le32_bytes(0x0000FF00) +
                               le32_bytes(0x00FF0000) + le32_bytes(0x00332211) + le32_bytes(0) + le32_bytes(0) +
                               le32_bytes(0x00CCBBAA);
    const BmpReadResult b = read_bmp(view(fields));
    ASSERT_TRUE(b.image) << b.error;
    EXPECT_EQ(b.image->pixels, (std::vector<std::uint32_t>{0, 0xAABBCC, 0x112233, 0}));
}

TEST(BmpFile, RefusesWithAReasonInsteadOfReading) {
    const std::string good = write_bmp(testing::noise(4, 4));
    auto with = [&](std::size_t at, const std::string& bytes) {
        std::string s = good;
        s.replace(at, bytes.size(), bytes);
        return s;
    };
    std::string huge = with(18, le32_bytes(20000));
    huge.replace(22, 4, le32_bytes(20000));  // each side within the limit, the area not
    struct Case {
        std::string file;
        const char* reason;
    } cases[] = {
        {"", "not a BMP"},
        {"PK\3\4 not a bitmap at all", "not a BMP"},
        {"BM", "cut short"},
        {good.substr(0, 40), "cut short"},
        {good.substr(0, good.size() - 1), "cut short in its pixels"},
        {with(10, le32_bytes(0xFFFFFFF0)), "cut short in its pixels"},
        {with(14, le32_bytes(12)), "OS/2"},
        {with(14, le32_bytes(7)), "not a BMP"},
        {with(28, le16_bytes(8)), "8-bit"},
        {with(30, le32_bytes(1)), "compressed"},
        {with(18, le32_bytes(0)), "no pixels"},
        {with(22, le32_bytes(0)), "no pixels"},
        {with(22, le32_bytes(0x80000000)), "no pixels"},
        {with(18, le32_bytes(0x7FFFFFFF)), "too large"},
        {huge, "too large"},
    };
    for (const Case& c : cases) {
        const BmpReadResult r = read_bmp(view(c.file));
        EXPECT_FALSE(r.image) << c.reason;
        EXPECT_NE(r.error.find(c.reason), std::string::npos) << r.error;
        EXPECT_EQ(r.error.find('\n'), std::string::npos);
    }
}

TEST(BmpFile, FilesForImageMagick) {
    for (auto [name, image] : {std::pair{"bmp_screen_301x203", testing::screenshot_like(301, 203)},
                               {"bmp_pixel", PixelImage(1, 1, 0xFEDCBA)}, {"bmp_noise_2x9", testing::noise(2, 9)}})
        EXPECT_TRUE(testing::save_for_checker(name, write_bmp(image), image, testing::Expect::bmp)) << name;
}

}  // namespace
}  // namespace roadsum
