#include "controls/shapebutton/shape_glyph.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <vector>

namespace roadsum {
namespace {

using ::testing::ElementsAre;

// A 24-bit image with its own storage.
struct Image {
    std::vector<std::uint8_t> bytes;
    ImageView view;
    Image(int w, int h, TColor fill) : bytes(static_cast<std::size_t>((w * 3 + 3) & ~3) * h) {
        view = {bytes.data(), w, h, (w * 3 + 3) & ~3};
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) view.set_pixel(x, y, fill);
    }
};

MainGlyphState State(int glyphs, int strip_width) {
    MainGlyphState s;
    s.glyphs = glyphs;
    s.strip_width = strip_width;
    s.strip_height = 16;
    s.frame = {40, 30};
    s.halign = TShapeHAlign::haCenter;
    s.valign = TShapeVAlign::vaCenter;
    return s;
}

Rect Cell(int i) { return {16 * i, 0, 16 * i + 16, 16}; }

TEST(MainGlyph, EachStateShowsItsCell) {
    MainGlyphState s = State(4, 64);
    EXPECT_THAT(MainGlyphDraws(s), ElementsAre(GlyphDraw{Cell(0), Cell(0), 12, 7, false}));
    s.mouse_over = true;
    EXPECT_THAT(MainGlyphDraws(s), ElementsAre(GlyphDraw{Cell(2), Cell(2), 12, 7, false}));
    s.mouse_over = false;
    s.enabled = false;
    EXPECT_THAT(MainGlyphDraws(s), ElementsAre(GlyphDraw{Cell(1), Cell(1), 12, 7, false}));
    // Pressed: cell 3 read from one pixel up and left, so shown one pixel right and down,
    // reading nothing of cell 2.
    s.enabled = true;
    s.pressed = true;
    EXPECT_THAT(MainGlyphDraws(s), ElementsAre(GlyphDraw{{47, -1, 63, 15}, Cell(3), 12, 7, false}));
}

TEST(MainGlyph, ShortStripsFallBackToTheFirstCell) {
    MainGlyphState one = State(1, 16);
    one.enabled = false;
    EXPECT_THAT(MainGlyphDraws(one), ElementsAre(GlyphDraw{Cell(0), Cell(0), 12, 7, true})) << "merged with the face";
    MainGlyphState two = State(2, 32);
    two.enabled = false;
    EXPECT_THAT(MainGlyphDraws(two), ElementsAre(GlyphDraw{Cell(1), Cell(1), 12, 7, false}));
    two.enabled = true;
    two.mouse_over = true;
    EXPECT_THAT(MainGlyphDraws(two), ElementsAre(GlyphDraw{Cell(0), Cell(0), 12, 7, false}));
    MainGlyphState three = State(3, 48);
    three.pressed = true;
    EXPECT_THAT(MainGlyphDraws(three), ElementsAre(GlyphDraw{{-1, -1, 15, 15}, Cell(0), 12, 7, false}));
}

TEST(MainGlyph, PlacementAndEmptyStrips) {
    MainGlyphState s = State(2, 32);
    s.halign = TShapeHAlign::haRight;
    s.valign = TShapeVAlign::vaBottom;
    s.depth = 3;
    EXPECT_EQ(MainGlyphDraws(s)[0].x, 21);
    EXPECT_EQ(MainGlyphDraws(s)[0].y, 11);
    s.halign = TShapeHAlign::haLeft;
    s.valign = TShapeVAlign::vaNone;
    s.top = -4;
    EXPECT_EQ(MainGlyphDraws(s)[0].x, 3);
    EXPECT_EQ(MainGlyphDraws(s)[0].y, -4);
    s.strip_height = 0;
    EXPECT_TRUE(MainGlyphDraws(s).empty());
}

TEST(Blit, TransparentCopiesLeaveOutTheKeyColour) {
    Image strip(4, 2, RGBColor(255, 0, 255));
    strip.view.set_pixel(1, 0, RGBColor(1, 2, 3));
    strip.view.set_pixel(3, 1, RGBColor(4, 5, 6));
    Image face(5, 5, RGBColor(9, 9, 9));
    BlitPixels(strip.view, {0, 0, 4, 2}, {0, 0, 4, 2}, face.view, 1, 2, BlitMode::Transparent);
    EXPECT_EQ(face.view.pixel(2, 2), RGBColor(1, 2, 3));
    EXPECT_EQ(face.view.pixel(4, 3), RGBColor(4, 5, 6));
    EXPECT_EQ(face.view.pixel(1, 2), RGBColor(9, 9, 9));
    BlitPixels(strip.view, {0, 0, 4, 2}, {0, 0, 4, 2}, face.view, 0, 0, BlitMode::Copy);
    EXPECT_EQ(face.view.pixel(0, 0), RGBColor(255, 0, 255));
}

TEST(Blit, PixelsOutsideTheSourceTheClipOrTheTargetAreSkipped) {
    Image strip(4, 4, RGBColor(10, 20, 30));
    Image face(3, 3, RGBColor(0, 0, 0));
    // Read from (-1, -1): the first row and column have no source and stay.
    BlitPixels(strip.view, {-1, -1, 3, 3}, {0, 0, 4, 4}, face.view, 0, 0, BlitMode::Copy);
    EXPECT_EQ(face.view.pixel(0, 0), RGBColor(0, 0, 0));
    EXPECT_EQ(face.view.pixel(0, 1), RGBColor(0, 0, 0));
    EXPECT_EQ(face.view.pixel(1, 1), RGBColor(10, 20, 30));
    // Far outside the target: nothing, and no write out of bounds.
    Image other(3, 3, RGBColor(0, 0, 0));
    BlitPixels(strip.view, {0, 0, 4, 4}, {0, 0, 4, 4}, other.view, -4, 2, BlitMode::Copy);
    BlitPixels(strip.view, {0, 0, 4, 4}, {0, 0, 4, 4}, other.view, INT32_MAX, INT32_MIN, BlitMode::Copy);
    EXPECT_EQ(other.view.pixel(0, 2), RGBColor(0, 0, 0));
    BlitPixels(strip.view, {0, 0, 4, 4}, {0, 0, 4, 4}, other.view, -2, 2, BlitMode::Copy);
    EXPECT_EQ(other.view.pixel(0, 2), RGBColor(10, 20, 30));
    EXPECT_EQ(other.view.pixel(2, 2), RGBColor(0, 0, 0));
    // The clip keeps the neighbouring cell out.
    Image clipped(3, 3, RGBColor(0, 0, 0));
    BlitPixels(strip.view, {1, 0, 4, 3}, {2, 0, 4, 4}, clipped.view, 0, 0, BlitMode::Copy);
    EXPECT_EQ(clipped.view.pixel(0, 0), RGBColor(0, 0, 0));
    EXPECT_EQ(clipped.view.pixel(1, 0), RGBColor(10, 20, 30));
    BlitPixels(ImageView{}, {0, 0, 4, 4}, {0, 0, 4, 4}, clipped.view, 0, 0, BlitMode::Copy);
}

TEST(Blit, MergeCopyAndsEachChannel) {
    Image strip(1, 1, RGBColor(0xF0, 0x0F, 0xFF));
    Image face(1, 1, RGBColor(0, 0, 0));
    BlitPixels(strip.view, {0, 0, 1, 1}, {0, 0, 1, 1}, face.view, 0, 0, BlitMode::MergeCopy, RGBColor(0x3C, 0xFF, 0x80));
    EXPECT_EQ(face.view.pixel(0, 0), RGBColor(0x30, 0x0F, 0x80));
}

TEST(AnimationFrames, FramesAreCellsReachingDownToTheControlsHeight) {
    AnimationFrame f;
    f.glyphs = 3;
    f.frame = 2;
    f.strip_width = 30;
    f.strip_height = 10;
    f.control = {40, 20};
    f.halign = TShapeHAlign::haRight;
    f.valign = TShapeVAlign::vaBottom;
    f.depth = 2;
    EXPECT_EQ(AnimationFrameDraw(f), (GlyphDraw{{20, 0, 30, 20}, {0, 0, 30, 10}, 28, 8, false}));
    f.glyphs = 0;
    EXPECT_EQ(AnimationFrameDraw(f), GlyphDraw{});
}

}  // namespace
}  // namespace roadsum
