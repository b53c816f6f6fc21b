#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "controls/shapebutton/contours.h"

namespace roadsum {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

// One contour through SimplifyContours.
Tpoints simplified(const Tpoints& points) {
    TRgnpoints c{points, Tintegers(points.size(), 1)};
    Tintegers counts{static_cast<std::int32_t>(points.size())};
    SimplifyContours(c, counts);
    EXPECT_EQ(counts[0], static_cast<std::int32_t>(c.points.size()));
    return c.points;
}

TEST(SimplifyContours, OnePixelStepsStayAtTheTie) {
    // A plus sign: twelve corners, each a one-pixel step (1/sqrt(2) from its neighbours'
    // line), convex and concave, in every orientation.
    const Tpoints plus{{1, 0}, {2, 0}, {2, 1}, {3, 1}, {3, 2}, {2, 2}, {2, 3}, {1, 3}, {1, 2}, {0, 2}, {0, 1}, {1, 1}};
    EXPECT_THAT(simplified(plus), ElementsAreArray(plus));
    const Tpoints stairs{{0, 0}, {1, 0}, {1, 1}, {2, 1}, {2, 2}, {3, 2}, {3, 3}, {0, 3}};
    EXPECT_THAT(simplified(stairs), ElementsAreArray(stairs));
}

TEST(SimplifyContours, RemovesPointsCloserThanTheTieAndKeepsTrueCorners) {
    // (3, 1) lies 5 / sqrt(125) = 0.447 from the line (0, 0)-(10, 5).
    EXPECT_THAT(simplified({{0, 0}, {3, 1}, {10, 5}, {10, 10}, {0, 10}}),
                ElementsAre(Point{0, 0}, Point{10, 5}, Point{10, 10}, Point{0, 10}));
    // (4, 1) lies 10 / sqrt(125) = 0.894 from it.
    EXPECT_THAT(simplified({{0, 0}, {4, 1}, {10, 5}, {10, 10}, {0, 10}}).size(), 5u);
    // Corners 2 or more from their neighbours' line always stay.
    const Tpoints zigzag{{0, 0}, {4, 2}, {8, 0}, {12, 2}, {16, 0}, {16, 9}, {0, 9}};
    EXPECT_THAT(simplified(zigzag), ElementsAreArray(zigzag));
}

TEST(SimplifyContours, FourPointsAreNeverThinned) {
    const Tpoints four{{0, 0}, {3, 1}, {10, 5}, {0, 10}};
    EXPECT_THAT(simplified(four), ElementsAreArray(four));
}

TEST(SimplifyContours, PassesJudgeWithTheNeighboursAtTheirStart) {
    // Both bumps are removed in the first pass: each is judged with the other still there.
    EXPECT_THAT(simplified({{0, 0}, {5, 1}, {10, 1}, {15, 0}, {15, 10}, {0, 10}}),
                ElementsAre(Point{0, 0}, Point{15, 0}, Point{15, 10}, Point{0, 10}));
    // (10, 0) is flat between (0, 0) and (20, 0) and stays in the first pass, which removes
    // (20, 0); the second pass measures it against (0, 0)-(30, 1) and removes it.
    EXPECT_THAT(simplified({{0, 0}, {10, 0}, {20, 0}, {30, 1}, {30, 10}, {0, 10}}),
                ElementsAre(Point{0, 0}, Point{30, 1}, Point{30, 10}, Point{0, 10}));
}

TEST(SimplifyContours, AContourNeverVanishes) {
    // Every point is a spike whose neighbours coincide: a pass would remove them all.
    const Tpoints spikes{{0, 0}, {1, 0}, {0, 0}, {1, 0}, {0, 0}, {1, 0}};
    EXPECT_THAT(simplified(spikes), ElementsAreArray(spikes));
}

TEST(SimplifyContours, RenumbersContoursAndCutsCountsToThePoints) {
    TRgnpoints c{{{0, 0}, {3, 1}, {10, 5}, {10, 10}, {0, 10}, {20, 0}, {30, 0}, {30, 9}, {20, 9}, {99, 99}},
                 Tintegers(10, 7)};
    Tintegers counts{5, 4};  // the last point belongs to no contour
    SimplifyContours(c, counts);
    EXPECT_THAT(counts, ElementsAre(4, 4));
    EXPECT_THAT(c.numbers, ElementsAre(1, 1, 1, 1, 2, 2, 2, 2));
    EXPECT_EQ(c.points.size(), 8u);

    TRgnpoints d{{{0, 0}, {5, 0}, {5, 5}}, Tintegers(3, 1)};
    Tintegers bad{-2, 9};
    SimplifyContours(d, bad);
    EXPECT_THAT(bad, ElementsAre(0, 3));
    EXPECT_THAT(d.numbers, ElementsAre(2, 2, 2));
}

// After thinning, a contour of more than 4 points has no point left within the threshold
// of its remaining neighbours' line, and its points are the original ones in their order.
TEST(SimplifyContours, RandomPolygonsEndWithOnlyTrueCorners) {
    std::mt19937 rng(11);
    for (int round = 0; round < 200; ++round) {
        Tpoints poly;
        const int n = 8 + static_cast<int>(rng() % 30);
        for (int i = 0; i < n; ++i) {
            // Round a noisy circle onto the grid: many near-collinear runs.
            const double a = 2 * 3.14159265358979 * i / n;
            const double r = 40 + static_cast<double>(rng() % 3);
            poly.push_back({static_cast<std::int32_t>(std::lround(r * std::cos(a))),
                            static_cast<std::int32_t>(std::lround(r * std::sin(a)))});
        }
        const Tpoints out = simplified(poly);
        ASSERT_GE(out.size(), 3u);
        std::size_t k = 0;
        for (const Point p : out) {
            while (k < poly.size() && !(poly[k] == p)) ++k;
            ASSERT_LT(k++, poly.size()) << "round " << round << ": points kept in order";
        }
        if (out.size() <= 4) continue;
        for (std::size_t i = 0; i < out.size(); ++i) {
            const Point a = out[(i + out.size() - 1) % out.size()], p = out[i], b = out[(i + 1) % out.size()];
            const double cross = std::abs(static_cast<double>(b.x - a.x) * (p.y - a.y) -
                                          static_cast<double>(b.y - a.y) * (p.x - a.x));
            const double base = std::hypot(b.x - a.x, b.y - a.y);
            const double height = cross / 2 <= 0.1 || base <= 0.1 ? base : cross / base;
            EXPECT_GT(height, 0.7071) << "round " << round << " point " << i;
        }
    }
}

}  // namespace
}  // namespace roadsum
