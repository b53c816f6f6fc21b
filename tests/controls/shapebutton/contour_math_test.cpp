#include "controls/shapebutton/contour_math.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <climits>
#include <cmath>

namespace roadsum::contour_math {
namespace {

TEST(ContourMath, RoundsHalvesToEvenAndSaturates) {
    EXPECT_EQ(round_even(0.5), 0);
    EXPECT_EQ(round_even(1.5), 2);
    EXPECT_EQ(round_even(2.5), 2);
    EXPECT_EQ(round_even(-0.5), 0);
    EXPECT_EQ(round_even(-1.5), -2);
    EXPECT_EQ(round_even(-2.5), -2);
    EXPECT_EQ(round_even(2.4999999), 2);
    EXPECT_EQ(round_even(-7.6), -8);
    EXPECT_EQ(round_even(1e300), INT32_MAX);
    EXPECT_EQ(round_even(-1e300), INT32_MIN);
    EXPECT_EQ(round_even(2147483647.4), INT32_MAX);
    EXPECT_EQ(round_even(std::nan("")), 0);
    EXPECT_EQ(saturate(static_cast<std::int64_t>(INT32_MAX) + 5), INT32_MAX);
    EXPECT_EQ(saturate(-5000000000LL), INT32_MIN);
}

TEST(ContourMath, WrapsLike32BitRegisters) {
    EXPECT_EQ(wrap_add(INT32_MAX, 1), INT32_MIN);
    EXPECT_EQ(wrap_sub(INT32_MIN, 1), INT32_MAX);
    EXPECT_EQ(wrap_mul(65536, 65536), 0);
    EXPECT_EQ(wrap_mul(46341, 46341), -2147479015);  // 2147488281 - 2^32
    EXPECT_EQ(wrap_mul(-3, 7), -21);
}

TEST(ContourMath, RangesCutCountsToThePoints) {
    const auto r = contour_ranges(10, {4, -1, 3, 8, 2});
    ASSERT_EQ(r.size(), 5u);
    const std::size_t firsts[] = {0, 4, 4, 7, 10}, counts[] = {4, 0, 3, 3, 0};
    for (std::size_t i = 0; i < r.size(); ++i) {
        EXPECT_EQ(r[i].first, firsts[i]) << i;
        EXPECT_EQ(r[i].count, counts[i]) << i;
    }
}

}  // namespace
}  // namespace roadsum::contour_math
