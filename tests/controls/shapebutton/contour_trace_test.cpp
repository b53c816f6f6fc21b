#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <climits>
#include <numeric>
#include <random>

#include "controls/shapebutton/contours.h"
#include "pixel_regions.h"

namespace roadsum {
namespace {

using test::PixelGrid;
using ::testing::ElementsAre;

Tpoints contour(const ContourSet& set, std::size_t index) {
    std::size_t first = 0;
    for (std::size_t c = 0; c < index; ++c) first += static_cast<std::size_t>(set.counts[c]);
    const auto begin = set.points.begin() + static_cast<std::ptrdiff_t>(first);
    return Tpoints(begin, begin + set.counts[index]);
}

// The set is consistent: counts cover the points, one level per contour.
void expect_well_formed(const ContourSet& set) {
    EXPECT_EQ(std::accumulate(set.counts.begin(), set.counts.end(), std::size_t{0}), set.points.size());
    EXPECT_EQ(set.levels.size(), set.counts.size());
}

TEST(TraceRectangles, SingleRectangleIsOneClockwiseContour) {
    const Rect r{0, 0, 10, 5};
    const ContourSet set = TraceRectangles({&r, 1});
    EXPECT_THAT(set.points, ElementsAre(Point{0, 0}, Point{10, 0}, Point{10, 5}, Point{0, 5}));
    EXPECT_THAT(set.counts, ElementsAre(4));
    EXPECT_THAT(set.levels, ElementsAre(0));
}

TEST(TraceRectangles, LShapeGetsItsConcaveCornerAndLosesTheStraightJoins) {
    const std::vector<Rect> rects{{0, 0, 20, 10}, {0, 10, 10, 20}};
    const TRgnpoints corners = ClassifyCorners(rects);
    EXPECT_THAT(corners.points, ElementsAre(Point{0, 0}, Point{20, 0}, Point{20, 10}, Point{10, 10},
                                            Point{10, 20}, Point{0, 20}));
    EXPECT_THAT(corners.numbers, ElementsAre(1, 2, 3, -1, 3, 4));

    const ContourSet set = TraceRectangles(rects);
    EXPECT_THAT(set.points, ElementsAre(Point{0, 0}, Point{20, 0}, Point{20, 10}, Point{10, 10},
                                        Point{10, 20}, Point{0, 20}));
    EXPECT_THAT(set.counts, ElementsAre(6));  // simplification removed none of the six
    EXPECT_THAT(set.levels, ElementsAre(0));
}

TEST(ClassifyCorners, SharedPointsFollowTheirKindSums) {
    // Diagonal touch, lower-left and upper-right: the outline passes the point twice.
    EXPECT_THAT(ClassifyCorners(std::vector<Rect>{{0, 1, 1, 2}, {1, 0, 2, 1}}).numbers,
                ElementsAre(1, -3, -1, 3, 4, 1, 2, 3));
    // Diagonal touch the other way.
    EXPECT_THAT(ClassifyCorners(std::vector<Rect>{{0, 0, 1, 1}, {1, 1, 2, 2}}).numbers,
                ElementsAre(1, 2, -4, -2, 4, 2, 3, 4));
    // Three rectangles round one point, the upper right quadrant empty.
    const TRgnpoints three = ClassifyCorners(std::vector<Rect>{{0, 0, 5, 5}, {0, 5, 5, 10}, {5, 5, 10, 10}});
    ASSERT_EQ(three.points.size(), 6u);
    EXPECT_EQ(three.points[2], (Point{5, 5}));
    EXPECT_EQ(three.numbers[2], -4);
    // Four rectangles round a point leave no corner there.
    const TRgnpoints four =
        ClassifyCorners(std::vector<Rect>{{0, 0, 5, 5}, {5, 0, 10, 5}, {0, 5, 5, 10}, {5, 5, 10, 10}});
    EXPECT_EQ(four.points.size(), 4u);
}

TEST(ClassifyCorners, LoneCornerInsideAnEdgeTurnsConcave) {
    // Each convex kind on each of its two edges, with the concave kind it becomes.
    struct Case {
        std::vector<Rect> rects;
        Point at;
        std::int32_t kind;
    };
    const Case cases[] = {
        {{{0, 0, 5, 10}, {5, 5, 10, 10}}, {5, 5}, -4},   // kind 1 on a right edge
        {{{0, 0, 10, 5}, {5, 5, 10, 10}}, {5, 5}, -2},   // kind 1 on a bottom edge
        {{{5, 0, 10, 10}, {0, 5, 5, 10}}, {5, 5}, -3},   // kind 2 on a left edge
        {{{0, 0, 10, 5}, {0, 5, 5, 10}}, {5, 5}, -1},    // kind 2 on a bottom edge
        {{{0, 0, 5, 5}, {5, 0, 10, 10}}, {5, 5}, -2},    // kind 3 on a left edge
        {{{0, 0, 5, 5}, {0, 5, 10, 10}}, {5, 5}, -4},    // kind 3 on a top edge
        {{{0, 0, 5, 10}, {5, 0, 10, 5}}, {5, 5}, -1},    // kind 4 on a right edge
        {{{5, 0, 10, 5}, {0, 5, 10, 10}}, {5, 5}, -3},   // kind 4 on a top edge
    };
    for (const Case& c : cases) {
        const TRgnpoints corners = ClassifyCorners(c.rects);
        bool found = false;
        for (std::size_t i = 0; i < corners.points.size(); ++i)
            if (corners.points[i] == c.at) {
                EXPECT_FALSE(found) << "one corner only at the point";
                EXPECT_EQ(corners.numbers[i], c.kind) << c.rects[1].left << "," << c.rects[1].top;
                found = true;
            }
        EXPECT_TRUE(found);
    }
}

TEST(TraceRectangles, SeparateRectanglesAreTwoOuterContours) {
    const ContourSet set = TraceRectangles(std::vector<Rect>{{0, 0, 5, 5}, {10, 0, 20, 5}, {0, 10, 3, 12}});
    EXPECT_THAT(set.counts, ElementsAre(4, 4, 4));
    EXPECT_THAT(set.levels, ElementsAre(0, 0, 0));
    EXPECT_THAT(contour(set, 1), ElementsAre(Point{10, 0}, Point{20, 0}, Point{20, 5}, Point{10, 5}));
}

TEST(TraceRectangles, RingHasAHoleOfLevelOneAndIslandOfLevelTwo) {
    PixelGrid g(30, 30);
    g.fill(0, 0, 30, 30, true);
    g.fill(10, 10, 20, 20, false);
    ContourSet ring = TraceRectangles(test::banded_rectangles(g));
    EXPECT_THAT(ring.counts, ElementsAre(4, 4));
    EXPECT_THAT(ring.levels, ElementsAre(0, 1));
    EXPECT_THAT(contour(ring, 1), ::testing::UnorderedElementsAre(Point{10, 10}, Point{20, 10}, Point{20, 20},
                                                                  Point{10, 20}));
    EXPECT_EQ(test::rasterize(ring, 30, 30), g);

    g.fill(13, 13, 17, 17, true);
    const ContourSet island = TraceRectangles(test::banded_rectangles(g));
    EXPECT_THAT(island.levels, ElementsAre(0, 1, 2));
    EXPECT_EQ(test::rasterize(island, 30, 30), g);
}

TEST(TraceRectangles, HoleTouchingTheOutlineAtItsFirstPointIsStillAHole) {
    // The hole's first corner (1, 1) is also a corner of the outline, where the two touch.
    PixelGrid g(4, 3);
    g.fill(1, 0, 4, 1, true);
    g.fill(0, 1, 1, 2, true);
    g.fill(3, 1, 4, 2, true);
    g.fill(0, 2, 4, 3, true);
    const ContourSet set = TraceRectangles(test::banded_rectangles(g));
    EXPECT_THAT(contour(set, 0), ElementsAre(Point{1, 0}, Point{4, 0}, Point{4, 3}, Point{0, 3}, Point{0, 1},
                                             Point{1, 1}));
    EXPECT_THAT(contour(set, 1), ElementsAre(Point{1, 1}, Point{3, 1}, Point{3, 2}, Point{1, 2}));
    EXPECT_THAT(set.levels, ElementsAre(0, 1));
    EXPECT_EQ(test::rasterize(set, 4, 3), g);
}

TEST(TraceRectangles, DiagonalTouchIsOneContourThroughThePointTwice) {
    const std::vector<Rect> rects{{0, 0, 1, 1}, {1, 1, 2, 2}};
    const ContourSet set = TraceRectangles(rects);
    EXPECT_THAT(set.points, ElementsAre(Point{0, 0}, Point{1, 0}, Point{1, 1}, Point{2, 1}, Point{2, 2},
                                        Point{1, 2}, Point{1, 1}, Point{0, 1}));
    EXPECT_THAT(set.levels, ElementsAre(0));
    PixelGrid g(2, 2);
    g.set(0, 0, true);
    g.set(1, 1, true);
    EXPECT_EQ(test::rasterize(set, 2, 2), g);
}

TEST(TraceRectangles, EmptyAndDegenerateInputGiveDefinedResults) {
    EXPECT_EQ(TraceRectangles({}), ContourSet{});
    // Rectangles that cover nothing are ignored.
    EXPECT_EQ(TraceRectangles(std::vector<Rect>{{5, 5, 5, 9}, {3, 3, 1, 8}, {0, 0, 0, 0}}), ContourSet{});
    // One pixel.
    const Rect pixel{7, 3, 8, 4};
    const ContourSet one = TraceRectangles({&pixel, 1});
    EXPECT_THAT(one.points, ElementsAre(Point{7, 3}, Point{8, 3}, Point{8, 4}, Point{7, 4}));
    EXPECT_THAT(one.levels, ElementsAre(0));
}

TEST(TraceRectangles, HugeCoordinatesTraceExactly) {
    const Rect all{INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX};
    const ContourSet set = TraceRectangles({&all, 1});
    EXPECT_THAT(set.points, ElementsAre(Point{INT32_MIN, INT32_MIN}, Point{INT32_MAX, INT32_MIN},
                                        Point{INT32_MAX, INT32_MAX}, Point{INT32_MIN, INT32_MAX}));
    const std::vector<Rect> ring{{-2000000000, -2000000000, 2000000000, -1000000000},
                                 {-2000000000, -1000000000, -1000000000, 1000000000},
                                 {1000000000, -1000000000, 2000000000, 1000000000},
                                 {-2000000000, 1000000000, 2000000000, 2000000000}};
    EXPECT_THAT(TraceRectangles(ring).levels, ElementsAre(0, 1));
}

TEST(TraceRectangles, OverlappingRectanglesStillGiveAConsistentSet) {
    // Not a region's list, but any list must trace without harm.
    std::mt19937 rng(7);
    for (int round = 0; round < 200; ++round) {
        std::vector<Rect> rects;
        for (int i = 0; i < 8; ++i) {
            const int l = static_cast<int>(rng() % 12), t = static_cast<int>(rng() % 12);
            rects.push_back({l, t, l + static_cast<int>(rng() % 8), t + static_cast<int>(rng() % 8)});
        }
        const ContourSet set = TraceRectangles(rects);
        expect_well_formed(set);
        EXPECT_EQ(TraceRectangles(rects), set);  // deterministic
    }
}

// The traced contours enclose exactly the pixels of the region, whether its rectangles come
// in bands as a region keeps them or one per pixel.
TEST(TraceRectangles, RandomRegionsTraceBackToTheirPixels) {
    std::mt19937 rng(20240605);
    int holes = 0, islands = 0;
    for (int round = 0; round < 300; ++round) {
        const int w = 4 + static_cast<int>(rng() % 28), h = 4 + static_cast<int>(rng() % 28);
        const PixelGrid g = test::grid_of(test::random_shapes(rng, w, h), w, h);
        for (const bool per_pixel : {false, true}) {
            const ContourSet set = TraceRectangles(per_pixel ? test::pixel_rectangles(g) : test::banded_rectangles(g));
            expect_well_formed(set);
            const PixelGrid back = test::rasterize(set, w, h);
            ASSERT_EQ(back, g) << "round " << round << (per_pixel ? " per pixel" : " banded") << "\nwanted\n"
                               << test::picture(g) << "got\n"
                               << test::picture(back);
            for (std::int32_t level : set.levels) holes += level == 1, islands += level == 2;
        }
    }
    EXPECT_GT(holes, 20);  // the regions did have holes and islands
    EXPECT_GT(islands, 2);
}

}  // namespace
}  // namespace roadsum
