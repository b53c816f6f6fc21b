#include <gtest/gtest.h>

#include <random>

#include "crash/stack/page_cached_reader.h"
#include "fake_address_space.h"

namespace roadsum::testing {
namespace {

// The cache answers every read as the memory below it does, across region edges and holes,
// with far fewer reads of that memory.
TEST(PageCachedReader, ReadsWhatTheMemoryHoldsWithFewReadsOfIt) {
    FakeAddressSpace space;
    std::mt19937 random(7);
    const auto bytes = [&](std::size_t n) {
        std::vector<std::uint8_t> b(n);
        for (auto& x : b) x = static_cast<std::uint8_t>(random());
        return b;
    };
    space.Map(0x00401000, bytes(0x23000));  // longer than a block, not block-aligned
    space.Map(0x00424000, bytes(0x1000));   // right after it: another region
    space.Map(0x00430000, bytes(0x1000), FakeAddressSpace::kNoAccess);
    space.Map(0x7FFF0000, bytes(0x10000));

    const PageCachedReader cached(space.Memory());
    int compared = 0;
    for (int i = 0; i < 20000; ++i) {
        const std::uint32_t address = (random() % 2 ? 0x00400000 : 0x7FFE0000) + random() % 0x32000;
        const std::uint32_t count = 1 + random() % (i % 100 == 0 ? 0x6000 : 16);
        std::vector<std::uint8_t> direct(count), through(count);
        const bool expected = space.Memory().try_read(address, direct.data(), count);
        ASSERT_EQ(cached.try_read(address, through.data(), count), expected) << std::hex << address << " " << count;
        if (expected) {
            ASSERT_EQ(through, direct) << std::hex << address << " " << count;
        }
        compared += expected;
    }
    EXPECT_GT(compared, 5000);

    // Small reads all over the first region: one read of the memory per block.
    const PageCachedReader fresh(space.Memory());
    const std::size_t before = space.Reads();
    std::uint8_t buffer[8];
    for (int i = 0; i < 10000; ++i) ASSERT_TRUE(fresh.try_read(0x00401000 + random() % 0x22ff8, buffer, 8));
    EXPECT_LE(space.Reads() - before, 3u);
}

// Shared by several traces, the cache keeps only the blocks its test calls lasting (here: code
// regions) from one trace to the next; the others are read again and show what changed.
TEST(PageCachedReader, KeepsOnlyLastingBlocksForTheNextTrace) {
    FakeAddressSpace space;
    space.Map(0x00401000, std::vector<std::uint8_t>(0x3000, 0x11), FakeAddressSpace::kExecuteRead);
    space.Map(0x00500000, std::vector<std::uint8_t>(0x3000, 0x22));
    space.Map(0x00600000, std::vector<std::uint8_t>(0x1000, 0x33), FakeAddressSpace::kExecuteRead);
    std::vector<std::pair<std::uint32_t, std::uint32_t>> asked;
    PageCachedReader cached(space.Memory(), 64, [&](std::uint32_t begin, std::uint32_t end) {
        asked.emplace_back(begin, end);
        return begin < 0x00500000 || begin >= 0x00600000;
    });
    const auto read = [&](std::uint32_t address) {
        std::uint8_t byte = 0;
        EXPECT_TRUE(cached.try_read(address, &byte, 1)) << std::hex << address;
        return byte;
    };
    EXPECT_EQ(read(0x00402000), 0x11);
    EXPECT_EQ(read(0x00501000), 0x22);
    EXPECT_EQ(read(0x00600010), 0x33);
    // Each block is judged once, over the whole span it holds.
    const std::vector<std::pair<std::uint32_t, std::uint32_t>> spans{
        {0x00401000, 0x00404000}, {0x00500000, 0x00503000}, {0x00600000, 0x00601000}};
    EXPECT_EQ(asked, spans);

    space.Poke(0x00501000, {0x44});
    cached.ForgetChanging();
    const std::size_t before = space.Reads();
    EXPECT_EQ(read(0x00402000), 0x11);
    EXPECT_EQ(read(0x00600010), 0x33);
    EXPECT_EQ(space.Reads(), before) << "lasting blocks are kept";
    EXPECT_EQ(read(0x00501000), 0x44);
    EXPECT_EQ(space.Reads(), before + 1);
}

}  // namespace
}  // namespace roadsum::testing
