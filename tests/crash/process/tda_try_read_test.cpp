// The process reader on the real address space (under Wine): faults become failed reads.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>

#include "crash/process/tda_try_read.h"
#include "crash/x86/decoder.h"
#include "crash/x86/function_analyser.h"

namespace roadsum {
namespace {

std::uint32_t address_of(const void* p) { return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(p)); }

// A committed read-write page followed by a page that is only reserved.
struct Pages {
    char* base = static_cast<char*>(VirtualAlloc(nullptr, 0x2000, MEM_RESERVE, PAGE_NOACCESS));
    Pages() {
        VirtualAlloc(base, 0x1000, MEM_COMMIT, PAGE_READWRITE);
        std::memset(base, 0x5A, 0x1000);
    }
    ~Pages() { VirtualFree(base, 0, MEM_RELEASE); }
};

TEST(TDATryRead, ReadsOwnMemoryAndFailsOnFaultsInsteadOfRaising) {
    TDATryRead reader;
    Pages pages;
    ASSERT_NE(pages.base, nullptr);
    char buffer[16] = {};
    EXPECT_TRUE(reader.try_read(address_of(pages.base), buffer, 16));
    EXPECT_EQ(buffer[0], 0x5A);
    EXPECT_TRUE(reader.try_read(address_of(pages.base + 0xFF0), buffer, 16));  // ends at the boundary
    EXPECT_FALSE(reader.try_read(0, buffer, 1));
    EXPECT_FALSE(reader.try_read(0x1000, buffer, 4));  // never mapped
    // Reserved pages fail only by the snapshot: Wine's process read of the own process does not
    // fail on them (Windows' does).
    reader.StartSnapshot();
    EXPECT_TRUE(reader.try_read(address_of(pages.base + 0xFF0), buffer, 16));
    EXPECT_FALSE(reader.try_read(address_of(pages.base + 0xFF8), buffer, 16));
    EXPECT_FALSE(reader.try_read(address_of(pages.base + 0x1000), buffer, 1));
}

TEST(TDATryRead, SnapshotAnswersFromTheRangesTakenAtItsStart) {
    TDATryRead reader;
    Pages before;
    reader.StartSnapshot();
    ASSERT_TRUE(reader.HasSnapshot());
    char buffer[4];
    EXPECT_TRUE(reader.try_read(address_of(before.base), buffer, 4));
    EXPECT_FALSE(reader.try_read(address_of(before.base + 0x1000), buffer, 4));
    std::uint32_t begin = 0, end = 0;
    ASSERT_TRUE(reader.readable_range(address_of(before.base), begin, end));
    EXPECT_LE(begin, address_of(before.base));
    EXPECT_GE(end, address_of(before.base + 0x1000));
    int local = 7;
    EXPECT_TRUE(reader.readable_range(address_of(&local), begin, end));  // the stack

    Pages after;  // not in the snapshot
    EXPECT_FALSE(reader.try_read(address_of(after.base), buffer, 4));
    reader.EndSnapshot();
    EXPECT_TRUE(reader.try_read(address_of(after.base), buffer, 4));
    EXPECT_FALSE(reader.try_read(0, buffer, 0));
}

__attribute__((noinline)) int sample_function(int x) { return x > 3 ? x * 7 : x + 1; }

TEST(TDATryRead, DecodesAndAnalysesTheProgramsOwnCode) {
    TDATryRead reader;
    reader.StartSnapshot();
    const std::uint32_t entry = address_of(reinterpret_cast<const void*>(&sample_function));
    x86::Instruction ins;
    ASSERT_TRUE(x86::decode_at(reader, entry, ins));
    const TFunctionInfo info = analyse_function(entry, reader, nullptr);
    EXPECT_TRUE(info.Valid) << info.ErrorText << " at " << std::hex << info.ErrorAddress;
    EXPECT_EQ(info.CodeStart, entry);
    EXPECT_GT(info.CodeLength, 5u);
    EXPECT_EQ(sample_function(2), 3);
}

}  // namespace
}  // namespace roadsum
