#include "controls/shapebutton/contours_win32.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <random>

#include "pixel_regions.h"

namespace roadsum {
namespace {

using ::testing::ElementsAre;

Region rect_region(int l, int t, int r, int b) { return Region(CreateRectRgn(l, t, r, b)); }

Region region_of(const std::vector<test::Shape>& shapes) {
    Region region = rect_region(0, 0, 0, 0);
    for (const test::Shape& s : shapes) {
        const Region r = rect_region(s.rect.left, s.rect.top, s.rect.right, s.rect.bottom);
        CombineRgn(region.get(), region.get(), r.get(), s.add ? RGN_OR : RGN_DIFF);
    }
    return region;
}

bool equal(const Region& a, const Region& b) { return a && b && EqualRgn(a.get(), b.get()); }

TEST(RegionToContours, ReadsTheRectanglesAndTracesThem) {
    const Region r = rect_region(0, 0, 10, 5);
    EXPECT_THAT(RegionRectangles(r.get()), ElementsAre(Rect{0, 0, 10, 5}));
    const ContourSet set = RegionToContours(r.get());
    EXPECT_THAT(set.points, ElementsAre(Point{0, 0}, Point{10, 0}, Point{10, 5}, Point{0, 5}));
    EXPECT_THAT(set.levels, ElementsAre(0));
}

TEST(RegionToContours, EmptyRegionAndNoRegionGiveNoContours) {
    EXPECT_EQ(RegionToContours(rect_region(0, 0, 0, 0).get()), ContourSet{});
    EXPECT_EQ(RegionToContours(nullptr), ContourSet{});
    EXPECT_TRUE(RegionRectangles(nullptr).empty());
}

TEST(ContoursToRegion, NoContoursNoRegionAndNothingEnclosedAnEmptyOne) {
    EXPECT_FALSE(ContoursToRegion(ContourSet{}));
    const Region degenerate = ContoursToRegion({{{0, 0}, {5, 5}, {9, 9}, {9, 9}}, {2, 2}, {0, 0}});
    ASSERT_TRUE(degenerate);
    RECT box;
    EXPECT_EQ(GetRgnBox(degenerate.get(), &box), NULLREGION);
}

TEST(ContoursToRegion, GivesBackOnePixelAnLShapeAndARing) {
    const Region pixel = rect_region(7, 3, 8, 4);
    EXPECT_TRUE(equal(ContoursToRegion(RegionToContours(pixel.get())), pixel));

    const Region l = region_of({{{0, 0, 20, 10}, true}, {{0, 10, 10, 20}, true}});
    EXPECT_TRUE(equal(ContoursToRegion(RegionToContours(l.get())), l));

    const Region ring = region_of({{{0, 0, 30, 30}, true}, {{10, 10, 20, 20}, false}});
    const ContourSet set = RegionToContours(ring.get());
    EXPECT_THAT(set.levels, ElementsAre(0, 1));
    const Region back = ContoursToRegion(set);
    EXPECT_TRUE(equal(back, ring));
    EXPECT_FALSE(PtInRegion(back.get(), 15, 15));
    EXPECT_TRUE(PtInRegion(back.get(), 5, 15));
}

TEST(ContoursToRegion, LargeCoordinatesRoundTrip) {
    const Region distant = region_of({{{-3000000, -3000000, 4000000, 2000000}, true},
                                       {{-1000000, -1000000, 1000000, 1000000}, false}});
    EXPECT_TRUE(equal(ContoursToRegion(RegionToContours(distant.get())), distant));
}

TEST(ContoursToRegion, ExtremeCoordinatesGiveSomeRegionWithoutHarm) {
    // The system may clip or refuse such polygons; the result is a handle all the same.
    const ContourSet huge{{{INT32_MIN, INT32_MIN}, {INT32_MAX, INT32_MIN}, {INT32_MAX, INT32_MAX}, {INT32_MIN, INT32_MAX},
                           {-5, -5}, {5, -5}, {5, 5}, {-5, 5}},
                          {4, 4},
                          {0, 1}};
    const Region r = ContoursToRegion(huge);
    ASSERT_TRUE(r);
    RECT box;
    EXPECT_NE(GetRgnBox(r.get(), &box), ERROR);
    const ContourSet traced = RegionToContours(r.get());
    EXPECT_EQ(traced.levels.size(), traced.counts.size());
}

TEST(BevelBandRegions, LightTopAndLeftDarkBottomAndRight) {
    const Tpoints outline{{0, 0}, {10, 0}, {10, 10}, {0, 10}};
    const ContourSet inset = InsetContours({outline, {4}, {0}}, 2);
    const BevelRegions bands = BevelBandRegions(outline, inset.points, {4});
    ASSERT_TRUE(bands.light && bands.dark);
    EXPECT_TRUE(PtInRegion(bands.light.get(), 5, 0));   // top
    EXPECT_TRUE(PtInRegion(bands.light.get(), 0, 5));   // left
    EXPECT_FALSE(PtInRegion(bands.light.get(), 9, 5));
    EXPECT_TRUE(PtInRegion(bands.dark.get(), 9, 5));    // right
    EXPECT_TRUE(PtInRegion(bands.dark.get(), 5, 9));    // bottom
    EXPECT_FALSE(PtInRegion(bands.dark.get(), 5, 0));
    // The bands leave the inner face alone.
    EXPECT_FALSE(PtInRegion(bands.light.get(), 5, 5));
    EXPECT_FALSE(PtInRegion(bands.dark.get(), 5, 5));

    const Region none = QuadsToRegion({});
    RECT box;
    ASSERT_TRUE(none);
    EXPECT_EQ(GetRgnBox(none.get(), &box), NULLREGION);
}

// Tracing a system region and building it back gives exactly the same region, for unions
// and differences of random rectangles with holes, islands and corners that touch.
TEST(ContoursToRegion, RandomRegionsRoundTripExactly) {
    std::mt19937 rng(1978);
    int holes = 0, islands = 0;
    for (int round = 0; round < 400; ++round) {
        const int w = 4 + static_cast<int>(rng() % 60), h = 4 + static_cast<int>(rng() % 60);
        const auto shapes = test::random_shapes(rng, w, h);
        const Region region = region_of(shapes);
        const ContourSet set = RegionToContours(region.get());
        const Region back = ContoursToRegion(set);
        if (set.counts.empty()) {
            EXPECT_FALSE(back);
            continue;
        }
        ASSERT_TRUE(equal(back, region)) << "round " << round << "\n" << test::picture(test::grid_of(shapes, w, h));
        for (std::int32_t level : set.levels) holes += level == 1, islands += level == 2;
    }
    EXPECT_GT(holes, 20);
    EXPECT_GT(islands, 2);
}

}  // namespace
}  // namespace roadsum
