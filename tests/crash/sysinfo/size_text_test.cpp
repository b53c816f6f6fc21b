// Size texts at every unit boundary, truncated to hundredths, with the separator given.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "crash/sysinfo/size_text.h"

namespace roadsum {
namespace {

TEST(SizeText, UnitBoundaries) {
    constexpr std::int64_t K = 1024, M = K * K, G = M * K;
    struct Case {
        std::int64_t bytes;
        const char* text;
    };
    const Case cases[] = {
        {std::numeric_limits<std::int64_t>::min(), "-9223372036854775808 Bytes"},
        {-1, "-1 Bytes"},
        {0, "0 Bytes"},
        {1023, "1023 Bytes"},
        {K, "1,00 KB"},
        {K + 10, "1,00 KB"},  // 1,0097: truncated
        {K + 11, "1,01 KB"},
        {1536, "1,50 KB"},
        {M - 1, "1023,99 KB"},
        {M, "1,00 MB"},
        {M + K * 1023, "1,99 MB"},
        {M + M / 2 + K - 1, "1,50 MB"},  // the bytes below a whole KB are dropped first
        {G - 1, "1023,99 MB"},
        {G, "1,00 GB"},
        {5 * G + G / 4, "5,25 GB"},
        {1024 * G, "1024,00 GB"},
        {std::numeric_limits<std::int64_t>::max(), "8589934591,99 GB"},
    };
    for (const Case& c : cases) EXPECT_EQ(size_text(c.bytes, ","), c.text) << c.bytes;
}

TEST(SizeText, SeparatorAsTheLocaleGivesIt) {
    EXPECT_EQ(size_text(1536, "."), "1.50 KB");
    EXPECT_EQ(size_text(3 * 1024 * 1024, "||"), "3||00 MB");
    EXPECT_EQ(size_text(512, "."), "512 Bytes");
}

}  // namespace
}  // namespace roadsum
