#include "crash/picture/mitchell_zoom.h"

#include <gtest/gtest.h>

#include <cmath>

#include "sample_pictures.h"

namespace roadsum {
namespace {

TEST(MitchellFilter, HasTheCubicsValuesWithBAndCAThird) {
    EXPECT_NEAR(mitchell_filter(0), 8.0 / 9.0, 1e-12);
    EXPECT_NEAR(mitchell_filter(1), 1.0 / 18.0, 1e-12);
    EXPECT_NEAR(mitchell_filter(-1), 1.0 / 18.0, 1e-12);
    EXPECT_NEAR(mitchell_filter(0.5), (7.0 * 0.125 - 12.0 * 0.25 + 16.0 / 3.0) / 6.0, 1e-12);
    EXPECT_NEAR(mitchell_filter(1.5), (-7.0 / 3.0 * 3.375 + 12.0 * 2.25 - 20.0 * 1.5 + 32.0 / 3.0) / 6.0, 1e-12);
    EXPECT_LT(mitchell_filter(1.5), 0.0);  // the negative lobe that keeps edges sharp
    EXPECT_EQ(mitchell_filter(2.0), 0.0);
    EXPECT_EQ(mitchell_filter(-7.0), 0.0);
    // Shifted copies add up to one: a flat picture stays flat.
    for (double x : {0.0, 0.25, 0.5, 0.9}) {
        double sum = 0;
        for (int k = -3; k <= 3; ++k) sum += mitchell_filter(x + k);
        EXPECT_NEAR(sum, 1.0, 1e-12) << x;
    }
}

TEST(MitchellContributions, CoverTheSourceAndAddUpToOne) {
    for (auto [source, target] : {std::pair{1, 7}, {7, 1}, {10, 10}, {1024, 320}, {320, 1024}, {3, 1000}}) {
        const auto list = mitchell_contributions(source, target);
        ASSERT_EQ(list.size(), static_cast<std::size_t>(target));
        for (const auto& c : list) {
            ASSERT_FALSE(c.empty());
            float sum = 0;
            for (const Contribution& k : c) {
                EXPECT_GE(k.source, 0);
                EXPECT_LT(k.source, source);
                sum += k.weight;
            }
            EXPECT_NEAR(sum, 1.0f, 1e-5f) << source << " -> " << target;
        }
    }
    // Shrinking by 4 widens the filter to 16 source pixels.
    EXPECT_EQ(mitchell_contributions(1024, 256)[100].size(), 16u);
    EXPECT_TRUE(mitchell_contributions(0, 5)[0].empty());
}

TEST(MitchellZoom, KeepsFlatAreasAndAveragesFineDetail) {
    EXPECT_EQ(zoom_mitchell(PixelImage(13, 9, 0x4080C0), 5, 31), PixelImage(5, 31, 0x4080C0));
    EXPECT_EQ(zoom_mitchell(PixelImage(1, 1, 0x102030), 4, 3), PixelImage(4, 3, 0x102030));

    // Black and white columns shrunk four times become a grey near their average.
    PixelImage stripes(400, 8);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 400; ++x) stripes.row(y)[x] = x % 2 ? 0xFFFFFF : 0;
    const PixelImage grey = zoom_mitchell(stripes, 100, 2);
    for (int x = 2; x < 98; ++x) EXPECT_NEAR(int(red_of(grey.at(x, 1))), 128, 2) << x;

    // A smooth ramp enlarged stays a ramp from end to end, never falling back.
    const PixelImage ramp = testing::rainbow(64, 4);
    const PixelImage big = zoom_mitchell(ramp, 320, 4);
    for (int x = 1; x < 320; ++x) EXPECT_GE(red_of(big.at(x, 0)), red_of(big.at(x - 1, 0))) << x;
    EXPECT_LE(red_of(big.at(0, 0)), 2u);
    EXPECT_GE(red_of(big.at(319, 0)), 253u);
}

TEST(MitchellZoom, SameSizeIsACopyAndNoSizeIsNoPicture) {
    const PixelImage image = testing::noise(17, 5);
    EXPECT_EQ(zoom_mitchell(image, 17, 5), image);
    EXPECT_TRUE(zoom_mitchell(image, 0, 5).empty());
    EXPECT_TRUE(zoom_mitchell(image, 5, -1).empty());
    EXPECT_TRUE(zoom_mitchell(PixelImage{}, 5, 5).empty());
    // A sharp edge keeps its contrast apart from a slight overshoot clamped at the ends.
    PixelImage edge(8, 1, 0);
    for (int x = 4; x < 8; ++x) edge.row(0)[x] = 0xFFFFFF;
    const PixelImage wide = zoom_mitchell(edge, 32, 1);
    EXPECT_EQ(wide.at(0, 0), 0u);
    EXPECT_EQ(wide.at(31, 0), 0xFFFFFFu);
}

}  // namespace
}  // namespace roadsum
