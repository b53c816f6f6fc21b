#include "controls/shapebutton/shape_outlines.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace roadsum {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

Tpoints Points(TShapeButtonKind kind, int w, int h, int depth = 2, int peaks = 6, double ratio = 0.5) {
    return KindOutline(kind, {w, h, depth, peaks, ratio}).points;
}

TEST(Outlines, TheCloseButtonsRoundedRectangle) {
    const ContourSet set = KindOutline(TShapeButtonKind::bkRoundRect, {65, 25, 1, 6, 0.75});
    EXPECT_THAT(set.points, ElementsAreArray(std::vector<Point>{
                                {2, 0}, {63, 0}, {64, 0}, {64, 1}, {65, 1}, {65, 2}, {65, 23}, {65, 24}, {64, 24}, {64, 25},
                                {63, 25}, {2, 25}, {1, 25}, {1, 24}, {0, 24}, {0, 23}, {0, 2}, {0, 1}, {1, 1}, {1, 0}}));
    EXPECT_THAT(set.counts, ElementsAre(20));
    EXPECT_THAT(set.levels, ElementsAre(0));
    // The map button: same corners, other size.
    EXPECT_EQ(Points(TShapeButtonKind::bkRoundRect, 22, 21, 1)[6], (Point{22, 19}));
}

TEST(Outlines, RoundedCornersGrowWithTheDepth) {
    // r = 8: the corner offsets are round(8 sin k pi/8) = 3, 6, 7 and the cosines 7, 6, 3.
    const Tpoints p = Points(TShapeButtonKind::bkRoundRect, 50, 30, 4);
    EXPECT_EQ(p[0], (Point{8, 0}));
    EXPECT_EQ(p[2], (Point{45, 1}));
    EXPECT_EQ(p[4], (Point{49, 5}));
    EXPECT_EQ(p[17], (Point{1, 5}));
}

TEST(Outlines, RectangleAndEllipseStartTopAndRunClockwise) {
    EXPECT_THAT(Points(TShapeButtonKind::bkRect, 60, 20), ElementsAre(Point{0, 0}, Point{60, 0}, Point{60, 20}, Point{0, 20}));
    // n = max(W, H) div max(2, depth).
    EXPECT_EQ(Points(TShapeButtonKind::bkElliptic, 20, 10, 5).size(), 4u);
    EXPECT_THAT(Points(TShapeButtonKind::bkElliptic, 20, 10, 5),
                ElementsAre(Point{10, 0}, Point{20, 5}, Point{10, 10}, Point{0, 5}));
    EXPECT_EQ(Points(TShapeButtonKind::bkElliptic, 20, 10, 1).size(), 10u);
    EXPECT_EQ(Points(TShapeButtonKind::bkElliptic, 20, 10, -3).size(), 10u);
}

TEST(Outlines, PolygonsAndStarsFollowPeaksNumber) {
    EXPECT_THAT(Points(TShapeButtonKind::bkPoly, 20, 10, 2, 4),
                ElementsAre(Point{10, 0}, Point{20, 5}, Point{10, 10}, Point{0, 5}));
    EXPECT_EQ(Points(TShapeButtonKind::bkPoly, 40, 40, 2, 20).size(), 20u);
    // Fewer than five peaks: the inner points at a third of the radius.
    const Tpoints four = Points(TShapeButtonKind::bkPolyStar, 30, 30, 2, 4);
    ASSERT_EQ(four.size(), 8u);
    EXPECT_EQ(four[0], (Point{15, 0}));
    EXPECT_EQ(four[1], (Point{19, 11}));
    // Five and more: cos 72 / cos 36, the inner points on the lines between every second peak.
    const Tpoints five = Points(TShapeButtonKind::bkPolyStar, 100, 100, 2, 5);
    ASSERT_EQ(five.size(), 10u);
    EXPECT_EQ(five[1], (Point{61, 35}));
    EXPECT_EQ(five[2], Points(TShapeButtonKind::bkPoly, 100, 100, 2, 5)[1]);
}

TEST(Outlines, DonutHasAnInnerContourOfLevelOne) {
    const ContourSet set = KindOutline(TShapeButtonKind::bkDonut, {40, 20, 4, 6, 0.5});
    // n = (max(W, H) x 2) div max(2, depth) points on each ring.
    EXPECT_THAT(set.counts, ElementsAre(20, 20));
    EXPECT_THAT(set.levels, ElementsAre(0, 1));
    EXPECT_EQ(set.points[0], (Point{20, 0}));
    EXPECT_EQ(set.points[20], (Point{20, 5}));
    EXPECT_EQ(set.points[25], (Point{30, 10}));
    // A ratio of 0 shrinks the hole to the centre.
    const ContourSet none = KindOutline(TShapeButtonKind::bkDonut, {40, 20, 4, 6, 0});
    EXPECT_EQ(none.points[25], (Point{20, 10}));
}

TEST(Outlines, ArrowsCrossesAndCutCorners) {
    EXPECT_THAT(Points(TShapeButtonKind::bkArrow, 24, 24),
                ElementsAre(Point{0, 8}, Point{12, 8}, Point{12, 0}, Point{24, 12}, Point{12, 24}, Point{12, 16}, Point{0, 16}));
    EXPECT_THAT(Points(TShapeButtonKind::bkArrow1, 24, 24),
                ElementsAre(Point{0, 24}, Point{0, 6}, Point{2, 4}, Point{16, 4}, Point{16, 0}, Point{24, 6}, Point{16, 12},
                            Point{16, 8}, Point{5, 8}, Point{4, 9}, Point{4, 24}));
    EXPECT_THAT(Points(TShapeButtonKind::bkArrow2, 24, 24),
                ElementsAre(Point{4, 0}, Point{4, 15}, Point{5, 16}, Point{16, 16}, Point{16, 12}, Point{24, 18}, Point{16, 24},
                            Point{16, 20}, Point{2, 20}, Point{0, 18}, Point{0, 0}));
    EXPECT_THAT(Points(TShapeButtonKind::bkCutRect, 12, 12),
                ElementsAre(Point{0, 2}, Point{2, 0}, Point{12, 0}, Point{12, 10}, Point{10, 12}, Point{0, 12}));
    const Tpoints cross = Points(TShapeButtonKind::bkCross, 18, 9);
    ASSERT_EQ(cross.size(), 24u);
    EXPECT_EQ(cross[0], (Point{4, 3}));
    EXPECT_EQ(cross[9], (Point{18, 4}));
    EXPECT_EQ(cross[23], (Point{2, 3}));
    const Tpoints cross1 = Points(TShapeButtonKind::bkCross1, 18, 9);
    ASSERT_EQ(cross1.size(), 20u);
    EXPECT_EQ(cross1[3], (Point{10, 2}));
    EXPECT_EQ(cross1[13], (Point{8, 7}));
    // Ninths are taken of the product, not rounded per ninth: 7 x 10 div 9 = 7.
    EXPECT_EQ(Points(TShapeButtonKind::bkCross1, 10, 10)[4], (Point{7, 0}));
}

TEST(Outlines, TheArcExamples) {
    const ArcShape narrow = ArcOutline(90, 40, 2, 0.5, 2 * std::numbers::pi / 3);
    EXPECT_FALSE(narrow.plain_rect);
    EXPECT_EQ(narrow.outer_radius, 52);
    EXPECT_EQ(narrow.height, 39);
    EXPECT_EQ(narrow.inner_radius, 26);
    // 45 outer points from the left end through the top centre, then 22 inner ones back.
    ASSERT_EQ(narrow.outline.points.size(), 45u + 22u);
    const Tpoints& p = narrow.outline.points;
    EXPECT_EQ(p[0], (Point{0, 26}));
    EXPECT_EQ(p[22], (Point{45, 0}));
    EXPECT_EQ(p[44], (Point{90, 26}));
    EXPECT_EQ(p[45], (Point{68, 39}));
    EXPECT_EQ(p[66], (Point{22, 39}));

    const ArcShape wide = ArcOutline(100, 20, 2, 0.5, 4);
    EXPECT_EQ(wide.outer_radius, 50);
    EXPECT_EQ(wide.height, 71);
    EXPECT_EQ(wide.inner_radius, 25);

    const ArcShape flat = ArcOutline(90, 40, 2, 0.5, 0.05);
    EXPECT_TRUE(flat.plain_rect);
    EXPECT_EQ(flat.height, 40);
    EXPECT_EQ(flat.outline.points, Points(TShapeButtonKind::bkRect, 90, 40));
}

TEST(Outlines, AnArcOfSinglePointsPutsThemAtTheStart) {
    // One outer point (n = 3 div 2) and no inner one: no division by zero.
    const ArcShape one = ArcOutline(3, 2, 2, 0.5, std::numbers::pi);
    EXPECT_THAT(one.outline.points, ElementsAre(Point{0, 1}));
    const ArcShape tiny = ArcOutline(3, 2, 2, 1, std::numbers::pi);
    EXPECT_EQ(tiny.outline.points.size(), 2u);
    const ArcShape empty = ArcOutline(0, 0, 2, 0.5, 1);
    EXPECT_TRUE(empty.outline.points.empty());
}

TEST(Outlines, RoundPointCountsAreBounded) {
    EXPECT_EQ(RoundPointCount(65, 1), 32);
    EXPECT_EQ(RoundPointCount(65, 5), 13);
    EXPECT_EQ(RoundPointCount(INT32_MAX, 1), 20000);
    EXPECT_EQ(Points(TShapeButtonKind::bkElliptic, INT32_MAX, INT32_MAX, 2).size(), 20000u);
}

TEST(Outlines, UserContoursAreScaledIntoTheButtonAndThinned) {
    const ContourSet l{{{0, 0}, {20, 0}, {20, 10}, {10, 10}, {10, 20}, {0, 20}}, {6}, {0}};
    EXPECT_THAT(UserOutline(l, {0, 0, 20, 20}, 40, 40, 1).points,
                ElementsAre(Point{0, 0}, Point{40, 0}, Point{40, 20}, Point{20, 20}, Point{20, 40}, Point{0, 40}));
    // Offsets of the box come off first; the result is truncated.
    const ContourSet moved{{{5, 5}, {25, 5}, {25, 15}, {15, 15}, {15, 25}, {5, 25}}, {6}, {0}};
    EXPECT_THAT(UserOutline(moved, {5, 5, 25, 25}, 30, 30, 1).points,
                ElementsAre(Point{0, 0}, Point{30, 0}, Point{30, 15}, Point{15, 15}, Point{15, 30}, Point{0, 30}));
    // Points closer than max(2, depth) to the last kept one go.
    const ContourSet close{{{0, 0}, {1, 0}, {10, 0}, {10, 10}, {0, 10}}, {5}, {0}};
    EXPECT_EQ(UserOutline(close, {0, 0, 10, 10}, 10, 10, 1).points.size(), 4u);
    EXPECT_EQ(UserOutline(close, {0, 0, 10, 10}, 10, 10, 12).points.size(), 0u);
}

TEST(Outlines, UserOutlineWithoutContoursOrBoxFallsBack) {
    EXPECT_THAT(UserOutline({}, {}, 30, 20, 2).points,
                ElementsAre(Point{0, 0}, Point{30, 0}, Point{30, 20}, Point{0, 20}));
    EXPECT_TRUE(UserOutline({}, {}, 2, 2, 2).counts.empty()) << "a rectangle too small to keep";
    const ContourSet l{{{0, 0}, {20, 0}, {20, 10}}, {3}, {0}};
    EXPECT_TRUE(UserOutline(l, {0, 0, 0, 10}, 40, 40, 1).counts.empty()) << "all points at (0, 0)";
    // Extreme boxes and sizes stay defined.
    const ContourSet far{{{INT32_MIN, INT32_MIN}, {INT32_MAX, INT32_MIN}, {INT32_MAX, INT32_MAX}}, {3}, {0}};
    const ContourSet scaled = UserOutline(far, {INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX}, INT32_MAX, INT32_MAX, 1);
    EXPECT_EQ(scaled.points.size(), 3u);
    EXPECT_EQ(scaled.points[2], (Point{INT32_MAX, INT32_MAX}));
}

}  // namespace
}  // namespace roadsum
