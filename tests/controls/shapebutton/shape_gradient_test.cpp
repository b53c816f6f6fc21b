#include "controls/shapebutton/shape_gradient.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace roadsum {
namespace {

using ::testing::ElementsAre;

TEST(Gradient, TheCloseButtonHasThirteenSlantedLines) {
    const std::vector<GradientLine> lines = LinearGradientLines(65, 25, 90);
    ASSERT_EQ(lines.size(), 13u);
    EXPECT_EQ(lines.front(), (GradientLine{{63, -10}, {-5, 1}}));
    EXPECT_EQ(lines.back(), (GradientLine{{69, 26}, {0, 36}}));
}

TEST(Gradient, TheMapButtonHasEightHorizontalLinesThreeApart) {
    const std::vector<GradientLine> lines = LinearGradientLines(22, 21, 0);
    ASSERT_EQ(lines.size(), 8u);
    for (int m = 0; m < 8; ++m) EXPECT_EQ(lines[m], (GradientLine{{22, 3 * m}, {-8, 3 * m}})) << m;
}

TEST(Gradient, EachQuadrantStartsAtItsOwnEdge) {
    // 900 sweeps from left to right, 1800 from the bottom up, 2700 from right to left.
    const auto right = LinearGradientLines(40, 30, 900);
    ASSERT_EQ(right.size(), 14u);
    EXPECT_EQ(right[1], (GradientLine{{3, 0}, {3, 50}}));
    const auto up = LinearGradientLines(40, 30, 1800);
    ASSERT_EQ(up.size(), 11u);
    EXPECT_EQ(up[0], (GradientLine{{0, 30}, {50, 30}}));
    EXPECT_EQ(up[1], (GradientLine{{0, 27}, {50, 27}}));
    const auto left = LinearGradientLines(40, 30, 2700);
    EXPECT_EQ(left[0], (GradientLine{{40, 30}, {40, -20}}));
    EXPECT_EQ(left[1], (GradientLine{{37, 30}, {37, -20}}));
    EXPECT_EQ(LinearGradientLines(40, 30, -900), left);
}

TEST(Gradient, EmptyFacesAndCircles) {
    EXPECT_THAT(LinearGradientLines(0, 0, 450), ElementsAre(GradientLine{{0, 0}, {0, 0}}));
    EXPECT_EQ(CircularGradientSteps(30, 30), 7);
    EXPECT_EQ(CircularGradientSteps(0, 0), 0);
    EXPECT_EQ(LinearGradientLines(INT32_MAX, INT32_MAX, 450).size(), 100001u) << "bounded";
}

TEST(Gradient, SampleColumnsAndRows) {
    std::vector<int> columns;
    for (int m = 0; m <= 5; ++m) columns.push_back(GradientSampleColumn(m, 5, 10));
    EXPECT_THAT(columns, ElementsAre(0, 2, 4, 6, 8, 9));
    EXPECT_EQ(GradientSampleColumn(3, 0, 10), 0);
    EXPECT_EQ(GradientSampleColumn(7, 7, 1), 0);
    EXPECT_EQ(GradientSampleRow(2, 3), 2);
    EXPECT_EQ(GradientSampleRow(3, 3), 0);
}

}  // namespace
}  // namespace roadsum
