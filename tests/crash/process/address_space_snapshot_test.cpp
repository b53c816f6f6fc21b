// The address-space snapshot: merging neighbours, the readability rule, binary search.
#include <gtest/gtest.h>

#include <vector>

#include "crash/process/address_space_snapshot.h"

namespace roadsum {
namespace {

// A query over a fixed region list, as the system would answer it.
auto query_over(std::vector<MemoryRegion> regions, int* calls = nullptr) {
    return [regions, calls](std::uint32_t address, MemoryRegion& out) {
        if (calls) ++*calls;
        for (const MemoryRegion& r : regions)
            if (address >= r.base && address - r.base < r.size) {
                out = r;
                return true;
            }
        return false;
    };
}

TEST(AddressSpaceSnapshot, ReadabilityFollowsStateAndProtection) {
    EXPECT_TRUE(is_readable_region({0, 1, 0x1000, 0x02}));
    EXPECT_TRUE(is_readable_region({0, 1, 0x1000, 0x04}));
    EXPECT_TRUE(is_readable_region({0, 1, 0x1000, 0x10}));
    EXPECT_TRUE(is_readable_region({0, 1, 0x1000, 0x20}));
    EXPECT_TRUE(is_readable_region({0, 1, 0x1000, 0x40}));
    EXPECT_FALSE(is_readable_region({0, 1, 0x1000, 0x01}));        // no access
    EXPECT_FALSE(is_readable_region({0, 1, 0x1000, 0x104}));       // guard page
    EXPECT_FALSE(is_readable_region({0, 1, 0x2000, 0x04}));        // reserved
    EXPECT_FALSE(is_readable_region({0, 1, 0x10000, 0x04}));       // free
}

TEST(AddressSpaceSnapshot, MergesNeighboursAndStopsAtTheSignedLimit) {
    AddressSpaceSnapshot s;
    int calls = 0;
    s.build(query_over({{0x00000000, 0x10000, 0x10000, 0x01},
                        {0x00010000, 0x1000, 0x1000, 0x04},
                        {0x00011000, 0x2000, 0x1000, 0x20},
                        {0x00013000, 0x1000, 0x1000, 0x104},
                        {0x00014000, 0x7FFEC000, 0x10000, 0x01},
                        {0x80000000, 0x1000, 0x1000, 0x04}},
                       &calls));
    ASSERT_EQ(s.ranges().size(), 3u);
    EXPECT_EQ(s.ranges()[0].end, 0x10000u);
    EXPECT_TRUE(s.ranges()[1].readable);
    EXPECT_EQ(s.ranges()[1].begin, 0x10000u);
    EXPECT_EQ(s.ranges()[1].end, 0x13000u);
    EXPECT_EQ(s.ranges()[2].end, 0x80000000u);
    EXPECT_EQ(calls, 5);  // the region at 2 GB is never asked for
}

TEST(AddressSpaceSnapshot, FindsTheContainingRange) {
    AddressSpaceSnapshot s;
    s.build(query_over({{0x0, 0x1000, 0x10000, 0x01}, {0x1000, 0x1000, 0x1000, 0x02}, {0x2000, 0x1000, 0x10000, 0x01}}));
    ASSERT_NE(s.find(0x1000), nullptr);
    EXPECT_TRUE(s.find(0x1FFF)->readable);
    EXPECT_FALSE(s.find(0x2000)->readable);
    EXPECT_FALSE(s.find(0x0)->readable);
    EXPECT_EQ(s.find(0x3000), nullptr);  // past the last region queried
}

TEST(AddressSpaceSnapshot, AFailingOrStuckQueryEndsTheWalk) {
    AddressSpaceSnapshot s;
    s.build([](std::uint32_t, MemoryRegion&) { return false; });
    EXPECT_TRUE(s.ranges().empty());
    int calls = 0;
    s.build([&](std::uint32_t, MemoryRegion& r) {
        ++calls;
        r = {0x1000, 0x1000, 0x1000, 0x04};  // always the same region
        return true;
    });
    EXPECT_LT(calls, 4);
}

TEST(AddressSpaceSnapshot, ManyRegionsGrowTheList) {
    std::vector<MemoryRegion> regions;
    for (std::uint32_t i = 0; i < 500; ++i) regions.push_back({i * 0x1000, 0x1000, 0x1000, i % 2 ? 0x04u : 0x01u});
    AddressSpaceSnapshot s;
    s.build(query_over(regions));
    ASSERT_EQ(s.ranges().size(), 500u);
    for (std::uint32_t i = 0; i < 500; ++i) EXPECT_EQ(s.find(i * 0x1000 + 0x800)->readable, i % 2 == 1);
}

}  // namespace
}  // namespace roadsum
