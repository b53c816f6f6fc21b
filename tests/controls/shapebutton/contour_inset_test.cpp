#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <climits>
#include <random>

#include "controls/shapebutton/contours.h"

namespace roadsum {
namespace {

using ::testing::ElementsAre;

ContourSet one(Tpoints points, std::int32_t level = 0) {
    const auto n = static_cast<std::int32_t>(points.size());
    return {std::move(points), {n}, {level}};
}

TEST(InsetContours, RightAnglesMoveOnePixelEachWayPerPixelOfDistance) {
    const ContourSet square = one({{0, 0}, {10, 0}, {10, 10}, {0, 10}});
    const ContourSet in = InsetContours(square, 1);
    EXPECT_THAT(in.points, ElementsAre(Point{1, 1}, Point{9, 1}, Point{9, 9}, Point{1, 9}));
    EXPECT_EQ(in.counts, square.counts);
    EXPECT_EQ(in.levels, square.levels);
    // The same outline counter-clockwise moves the same way: the filled side decides.
    EXPECT_THAT(InsetContours(one({{0, 0}, {0, 10}, {10, 10}, {10, 0}}), 1).points,
                ElementsAre(Point{1, 1}, Point{1, 9}, Point{9, 9}, Point{9, 1}));
    // A negative distance moves outwards.
    EXPECT_THAT(InsetContours(square, -2).points,
                ElementsAre(Point{-2, -2}, Point{12, -2}, Point{12, 12}, Point{-2, 12}));
}

TEST(InsetContours, HolesGrowIntoTheirFilledSurroundings) {
    ContourSet ring{{{0, 0}, {30, 0}, {30, 30}, {0, 30}, {10, 10}, {20, 10}, {20, 20}, {10, 20}}, {4, 4}, {0, 1}};
    EXPECT_THAT(InsetContours(ring, 1).points,
                ElementsAre(Point{1, 1}, Point{29, 1}, Point{29, 29}, Point{1, 29}, Point{9, 9}, Point{21, 9},
                            Point{21, 21}, Point{9, 21}));
}

TEST(InsetContours, StraightSharpAndDegenerateVertices) {
    // A vertex in the middle of an edge moves straight in.
    EXPECT_THAT(InsetContours(one({{0, 0}, {5, 0}, {10, 0}, {10, 10}, {0, 10}}), 1).points[1], (Point{5, 1}));
    // The sharp tip of a thin triangle moves twice the distance along its bisector; the
    // other corners by distance / sin(half angle).
    EXPECT_THAT(InsetContours(one({{0, 0}, {100, 10}, {0, 20}}), 3).points,
                ElementsAre(Point{3, 3}, Point{94, 10}, Point{3, 17}));
    // The tip of a spike has no bisector and stays; repeated vertices are skipped over.
    const ContourSet spike = one({{0, 0}, {10, 0}, {10, 0}, {10, 5}, {15, 5}, {10, 5}, {10, 10}, {0, 10}});
    const Tpoints moved = InsetContours(spike, 1).points;
    EXPECT_EQ(moved[4], (Point{15, 5}));
    EXPECT_EQ(moved[1], (Point{9, 1}));
    // A contour of one place stays where it is.
    EXPECT_THAT(InsetContours(one({{3, 3}, {3, 3}, {3, 3}}), 5).points, ElementsAre(Point{3, 3}, Point{3, 3}, Point{3, 3}));
    EXPECT_EQ(InsetContours(ContourSet{}, 3), ContourSet{});
}

TEST(InsetContours, CrossedMovesTakeTheirNeighboursPlace) {
    // Inset by 3, a bar 4 pixels high would turn inside out; the crossed corners meet.
    EXPECT_THAT(InsetContours(one({{0, 0}, {100, 0}, {100, 4}, {0, 4}}), 3).points,
                ElementsAre(Point{3, 3}, Point{97, 1}, Point{97, 1}, Point{3, 3}));
}

TEST(InsetContours, HugeCoordinatesSaturate) {
    const ContourSet huge = one({{INT32_MIN, INT32_MIN}, {INT32_MAX, INT32_MIN}, {INT32_MAX, INT32_MAX},
                                 {INT32_MIN, INT32_MAX}});
    const ContourSet out = InsetContours(huge, -100);
    EXPECT_THAT(out.points, ElementsAre(Point{INT32_MIN, INT32_MIN}, Point{INT32_MAX, INT32_MIN},
                                        Point{INT32_MAX, INT32_MAX}, Point{INT32_MIN, INT32_MAX}));
    EXPECT_EQ(InsetContours(huge, INT32_MAX).counts, huge.counts);
    // Coordinates whose products leave 32 bits in the crossing repair still give a result.
    std::mt19937 rng(5);
    for (int round = 0; round < 100; ++round) {
        Tpoints pts;
        for (int i = 0; i < 6; ++i) pts.push_back({static_cast<std::int32_t>(rng()), static_cast<std::int32_t>(rng())});
        EXPECT_EQ(InsetContours(one(pts), static_cast<std::int32_t>(rng() % 100000)).points.size(), 6u);
    }
}

}  // namespace
}  // namespace roadsum
