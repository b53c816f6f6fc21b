#include "../../tools/pixmap/pixmap.h"

#include <gtest/gtest.h>

namespace roadsum {
namespace {

const char kArrow[] =
    "; comment\n"
    "pixmap 3 2\n"
    ". FFFFFF\n"
    "# 102030\n"
    "pixels\n"
    ".#.\n"
    "###\n";

TEST(Pixmap, ParsesColoursAndRowsTopFirst) {
    Pixmap p = parse_pixmap(kArrow);
    ASSERT_EQ(p.width, 3);
    ASSERT_EQ(p.height, 2);
    EXPECT_EQ(p.at(0, 0), 0xFFFFFFu);
    EXPECT_EQ(p.at(1, 0), 0x102030u);
    EXPECT_EQ(p.at(2, 1), 0x102030u);
}

TEST(Pixmap, WritesA24BitBottomUpBitmapWithPaddedRows) {
    auto bmp = bmp_file(parse_pixmap(kArrow));
    ASSERT_EQ(bmp.size(), 54u + 2 * 12);  // rows of 9 bytes padded to 12
    EXPECT_EQ(bmp[0], 'B');
    EXPECT_EQ(bmp[1], 'M');
    EXPECT_EQ(bmp[2], 54 + 24);
    EXPECT_EQ(bmp[10], 54);  // pixel offset
    EXPECT_EQ(bmp[18], 3);   // width
    EXPECT_EQ(bmp[22], 2);   // height, positive: bottom row first
    EXPECT_EQ(bmp[28], 24);  // bits per pixel
    // The first stored row is the bottom one, "###", in blue-green-red order.
    EXPECT_EQ(bmp[54], 0x30);
    EXPECT_EQ(bmp[55], 0x20);
    EXPECT_EQ(bmp[56], 0x10);
    // The second is the top row ".#.", white first.
    EXPECT_EQ(bmp[66], 0xFF);
    EXPECT_EQ(bmp[69], 0x30);
}

TEST(Pixmap, ReportsTheLineOfEachFault) {
    auto error = [](const std::string& text) {
        try {
            parse_pixmap(text);
        } catch (const PixmapError& e) {
            return std::string(e.what());
        }
        return std::string("(accepted)");
    };
    EXPECT_EQ(error("pixmap 2\n"), "line 1: expected 'pixmap WIDTH HEIGHT'");
    EXPECT_EQ(error("pixmap 2 1\n. FFFFFF\npixels\n.x\n"), "line 4: unknown colour character 'x'");
    EXPECT_EQ(error("pixmap 2 1\n. FFFFFF\npixels\n...\n"), "line 4: row is not WIDTH characters long");
    EXPECT_EQ(error("pixmap 2 2\n. FFFFFF\npixels\n..\n"), "line 4: fewer rows than the height");
    EXPECT_EQ(error("pixmap 1 1\n. FFFFFF\n. 000000\n"), "line 3: colour character given twice");
    EXPECT_EQ(error("pixmap 1 1\n. GGGGGG\n"), "line 2: bad colour");
    EXPECT_EQ(error("pixmap 0 1\n"), "line 1: size out of range");
    EXPECT_EQ(error("pixmap 1 1\n. 000000\npixels\n.\n.\n"), "line 5: more rows than the height");
}

}  // namespace
}  // namespace roadsum
