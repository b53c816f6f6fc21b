#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "controls/shapebutton/contours.h"

namespace roadsum {
namespace {

using ::testing::ElementsAre;

const Tpoints kSquare{{0, 0}, {10, 0}, {10, 10}, {0, 10}};

TEST(PointInContour, InsideOutsideAndOnTheBoundary) {
    EXPECT_TRUE(PointInContour(kSquare, 5, 5));
    EXPECT_TRUE(PointInContour(kSquare, 0.5, 9.5));
    EXPECT_FALSE(PointInContour(kSquare, 15, 5));
    EXPECT_FALSE(PointInContour(kSquare, -1, 5));
    EXPECT_FALSE(PointInContour(kSquare, 5, -1));
    EXPECT_FALSE(PointInContour(kSquare, 5, 10.5));
    // Exactly on a crossing: outside.
    EXPECT_FALSE(PointInContour(kSquare, 10, 5));
    EXPECT_FALSE(PointInContour(kSquare, 0, 5));
    EXPECT_FALSE(PointInContour({}, 0, 0));
}

TEST(PointInContour, ConcaveAndSlantedEdges) {
    const Tpoints l{{0, 0}, {20, 0}, {20, 10}, {10, 10}, {10, 20}, {0, 20}};
    EXPECT_TRUE(PointInContour(l, 5, 15));
    EXPECT_TRUE(PointInContour(l, 15, 5));
    EXPECT_FALSE(PointInContour(l, 15, 15));  // in the notch
    const Tpoints triangle{{0, 0}, {100, 10}, {0, 20}};
    EXPECT_TRUE(PointInContour(triangle, 99, 10));
    EXPECT_FALSE(PointInContour(triangle, 50, 4.9));  // the edge is at y = 5 there
    EXPECT_TRUE(PointInContour(triangle, 50, 5.1));
}

TEST(ContourLevels, CountsTheContoursAroundEachFirstPoint) {
    // Nested squares listed inside out, and one beside them.
    const Tpoints points{{4, 4}, {6, 4}, {6, 6}, {4, 6},          // level 2
                         {0, 0}, {10, 0}, {10, 10}, {0, 10},      // level 0
                         {2, 2}, {8, 2}, {8, 8}, {2, 8},          // level 1
                         {20, 0}, {30, 0}, {30, 10}, {20, 10}};   // level 0
    EXPECT_THAT(ContourLevels(points, {4, 4, 4, 4}), ElementsAre(2, 0, 1, 0));
    EXPECT_TRUE(ContourLevels({}, {}).empty());
}

TEST(ContourLevels, VerticesOnThePointsLineCountOnlyWhereTheContourPassesThrough) {
    // A notch from the top whose tip touches the line y = 10 at (8, 10), and a square whose
    // first point (20, 10) lies on that line.
    const Tpoints notched{{0, 0}, {5, 0}, {8, 10}, {11, 0}, {30, 0}, {30, 20}, {0, 20}};
    Tpoints points = notched;
    for (const Point p : Tpoints{{20, 10}, {22, 10}, {22, 12}, {20, 12}}) points.push_back(p);
    EXPECT_THAT(ContourLevels(points, {7, 4}), ElementsAre(0, 1));
    // The plain test counts the touching tip as a crossing.
    EXPECT_FALSE(PointInContour(notched, 20, 10));

    // A horizontal edge on the line, passed through: (25, 10)-(25, 20) after (30, 10).
    const Tpoints stepped{{0, 0}, {30, 0}, {30, 10}, {25, 10}, {25, 20}, {0, 20}};
    points = stepped;
    for (const Point p : Tpoints{{10, 10}, {12, 10}, {12, 12}, {10, 12}}) points.push_back(p);
    EXPECT_THAT(ContourLevels(points, {6, 4}), ElementsAre(0, 1));
}

TEST(ContourLevels, RepeatedAndDegenerateContours) {
    // Repeated vertices change nothing; a contour of two distinct vertices encloses nothing.
    const Tpoints points{{0, 0}, {0, 0}, {10, 0}, {10, 10}, {10, 10}, {0, 10}, {0, 0},
                         {5, 5}, {6, 5}, {6, 6}, {5, 6},
                         {-5, 5}, {20, 5}, {-5, 5}};
    EXPECT_THAT(ContourLevels(points, {7, 4, 3}), ElementsAre(0, 1, 0));
}

TEST(ContourLevels, AFirstPointOnTheOtherContourIsJudgedByItsFirstEdge) {
    // A diamond whose first point lies on the square's top edge, and one whose first point
    // is the square's corner.
    const Tpoints points{{0, 0}, {10, 0}, {10, 10}, {0, 10},
                         {5, 0}, {7, 2}, {5, 4}, {3, 2},
                         {0, 0}, {2, 1}, {1, 2}};
    EXPECT_THAT(ContourLevels(points, {4, 4, 3}), ElementsAre(0, 1, 1));
}

}  // namespace
}  // namespace roadsum
