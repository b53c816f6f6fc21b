#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <climits>

#include "controls/shapebutton/contours.h"

namespace roadsum {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

TEST(RotateContours, QuarterTurnAboutACentreIsCounterClockwiseOnScreen) {
    EXPECT_THAT(RotateContours(Tpoints{{10, 5}}, 5, 5, 900), ElementsAre(Point{5, 0}));
    EXPECT_THAT(RotateContours(Tpoints{{0, 0}, {10, 0}, {10, 5}, {0, 5}}, 5, 5, 900),
                ElementsAre(Point{0, 10}, Point{0, 0}, Point{5, 0}, Point{5, 10}));
    // About the origin: no shift, and the origin itself stays.
    EXPECT_THAT(RotateContours(Tpoints{{10, 0}, {0, 0}, {3, 4}}, 0, 0, 900),
                ElementsAre(Point{0, -10}, Point{0, 0}, Point{4, -3}));
    EXPECT_THAT(RotateContours(Tpoints{{3, 4}, {-7, 2}}, 0, 0, 1800), ElementsAre(Point{-3, -4}, Point{7, -2}));
    EXPECT_THAT(RotateContours(Tpoints{{3, 4}}, 0, 0, -900), ElementsAre(Point{-4, 3}));
}

TEST(RotateContours, WholeTurnsAndNoTurnLeaveEveryPoint) {
    const Tpoints pts{{7, 3}, {-12, 40}, {65, 25}, {0, -9}, {1, 1}};
    EXPECT_THAT(RotateContours(pts, 32, 12, 0), ElementsAreArray(pts));
    EXPECT_THAT(RotateContours(pts, 32, 12, 3600), ElementsAreArray(pts));
    EXPECT_THAT(RotateContours(pts, -5, 7, -3600), ElementsAreArray(pts));
}

TEST(RotateContours, ContourSetsKeepCountsAndLevels) {
    const ContourSet set{{{0, 0}, {10, 0}, {10, 5}, {0, 5}}, {4}, {0}};
    const ContourSet turned = RotateContours(set, 5, 5, 900);
    EXPECT_EQ(turned.counts, set.counts);
    EXPECT_EQ(turned.levels, set.levels);
    EXPECT_EQ(turned.points, RotateContours(set.points, 5, 5, 900));
}

TEST(RotateContours, HugeCoordinatesSaturate) {
    // Both corners turn onto the x axis, 2^31 * sqrt(2) from the origin.
    const Tpoints out = RotateContours(Tpoints{{INT32_MAX, INT32_MAX}, {INT32_MIN, INT32_MIN}}, 0, 0, 450);
    EXPECT_THAT(out, ElementsAre(Point{INT32_MAX, 0}, Point{INT32_MIN, 0}));
    EXPECT_EQ(RotateContours(Tpoints{{1, 1}}, INT32_MAX, INT32_MIN, 1234).size(), 1u);
}

TEST(ThinContours, KeepsPointsFartherThanTheMinimumFromTheLastKept) {
    const ContourSet set{{{0, 0}, {1, 0}, {2, 0}, {3, 0}, {3, 3}, {0, 3},  // thinned
                          {0, 0}, {1, 0}, {1, 1}, {0, 1},                  // too small: dropped
                          {50, 50}, {60, 50}, {60, 60}},                   // kept whole
                         {6, 4, 3},
                         {0, 1, 2}};
    const ContourSet out = ThinContours(set, 2);
    EXPECT_THAT(out.points, ElementsAre(Point{0, 0}, Point{3, 0}, Point{3, 3}, Point{0, 3}, Point{50, 50},
                                        Point{60, 50}, Point{60, 60}));
    EXPECT_THAT(out.counts, ElementsAre(4, 3));
    EXPECT_THAT(out.levels, ElementsAre(0, 2));
    EXPECT_EQ(ThinContours(ContourSet{}, 2), ContourSet{});
}

TEST(BevelBands, TopAndLeftAreLightBottomAndRightDark) {
    const Tpoints outline{{0, 0}, {10, 0}, {10, 10}, {0, 10}};
    const Tpoints inset{{1, 1}, {9, 1}, {9, 9}, {1, 9}};
    const BevelQuads bands = BevelBands(outline, inset, {4});
    EXPECT_THAT(bands.light, ElementsAre(Quad{{{0, 0}, {1, 1}, {9, 1}, {10, 0}}},      // top
                                         Quad{{{0, 10}, {1, 9}, {1, 1}, {0, 0}}}));   // left
    EXPECT_THAT(bands.dark, ElementsAre(Quad{{{10, 0}, {9, 1}, {9, 9}, {10, 10}}},    // right
                                        Quad{{{10, 10}, {9, 9}, {1, 9}, {0, 10}}}));  // bottom
}

TEST(BevelBands, SplitsOnTheDiagonalAndRejectsUnmatchedInsets) {
    // A clockwise octagon: of the four diagonal edges only the one running up and to the
    // right is light; the one with dx = dy < 0 lies on the split and goes dark.
    const Tpoints octagon{{0, 5}, {5, 0}, {10, 0}, {15, 5}, {15, 10}, {10, 15}, {5, 15}, {0, 10}};
    const BevelQuads bands = BevelBands(octagon, octagon, {8});
    ASSERT_EQ(bands.light.size(), 3u);
    EXPECT_EQ(bands.light[0][0], (Point{0, 5}));   // up and right
    EXPECT_EQ(bands.light[1][0], (Point{5, 0}));   // top
    EXPECT_EQ(bands.light[2][0], (Point{0, 10}));  // left
    EXPECT_EQ(bands.dark.size(), 5u);

    const BevelQuads none = BevelBands(octagon, Tpoints(octagon.begin(), octagon.end() - 1), {8});
    EXPECT_TRUE(none.light.empty() && none.dark.empty());
}

TEST(RegionSteps, LevelsInOrderOddOnesSubtracted) {
    ContourSet set;
    for (int c = 0; c < 6; ++c)
        for (int k = 0; k < 4; ++k) set.points.push_back({c * 10 + (k == 1 || k == 2), k >= 2});
    set.counts = {4, 4, 4, 4, 2, 4};  // the fifth encloses nothing
    set.levels = {1, 0, 2, 0, 0, 1};
    set.points.resize(22);
    const std::vector<RegionStep> steps = RegionSteps(set);
    ASSERT_EQ(steps.size(), 5u);
    const std::size_t firsts[] = {4, 12, 0, 18, 8};
    const RegionOp ops[] = {RegionOp::Copy, RegionOp::Add, RegionOp::Subtract, RegionOp::Subtract, RegionOp::Add};
    for (std::size_t i = 0; i < steps.size(); ++i) {
        EXPECT_EQ(steps[i].first, firsts[i]) << i;
        EXPECT_EQ(steps[i].count, 4u) << i;
        EXPECT_EQ(steps[i].op, ops[i]) << i;
    }
}

TEST(RegionSteps, EmptySetsAndMissingLevels) {
    EXPECT_TRUE(RegionSteps(ContourSet{}).empty());
    // Without a level the contour counts as an outer boundary; a lone hole is copied.
    const ContourSet unlevelled{{{0, 0}, {4, 0}, {4, 4}}, {3}, {}};
    ASSERT_EQ(RegionSteps(unlevelled).size(), 1u);
    EXPECT_EQ(RegionSteps(unlevelled)[0].op, RegionOp::Copy);
    const ContourSet hole{{{0, 0}, {4, 0}, {4, 4}}, {3}, {1}};
    EXPECT_EQ(RegionSteps(hole)[0].op, RegionOp::Copy);
    EXPECT_TRUE(RegionSteps(ContourSet{{{0, 0}, {4, 0}, {4, 4}}, {3}, {-1}}).empty());
}

}  // namespace
}  // namespace roadsum
