// The cheap parts that run where an exception is raised: the return-address test, the frame
// chain and the raw collection with its prepared-stack layout.
#include <gtest/gtest.h>

#include <random>

#include "crash/stack/frame_chain.h"
#include "crash/stack/raw_stack.h"
#include "crash/stack/return_address.h"
#include "crash/x86/decoder.h"
#include "stack_image.h"
#include "synthetic_module.h"

namespace roadsum::testing {
namespace {

constexpr std::uint32_t kCode = 0x00401000;

struct ReturnCase {
    const char* what;
    std::vector<std::uint8_t> before;  // the bytes that end at the address
    bool expected;
};

TEST(LooksLikeReturnAddress, AcceptsTheBytesOfEveryCallForm) {
    const ReturnCase cases[] = {
        {"call rel32", {0xE8, 1, 2, 3, 4}, true},
        {"call far ptr16:32", {0x9A, 1, 2, 3, 4, 5, 6}, true},
        {"call eax", {0xFF, 0xD0}, true},
        {"call [ebp+8]", {0xFF, 0x55, 0x08}, true},
        {"call [esp+8]", {0xFF, 0x54, 0x24, 0x08}, true},
        {"call [mem32]", {0xFF, 0x15, 1, 2, 3, 4}, true},
        {"call [esp+disp32]", {0xFF, 0x94, 0x24, 1, 2, 3, 4}, true},
        {"call far [mem32]", {0xFF, 0x1D, 1, 2, 3, 4}, true},
        {"call far [eax]", {0xFF, 0x18}, true},
        {"jmp eax", {0xFF, 0xE0}, false},
        {"jmp [mem32]", {0xFF, 0x25, 1, 2, 3, 4}, false},
        {"push [eax]", {0xFF, 0x30}, false},
        {"indirect call opcode five bytes back", {0xFF, 0x15, 0, 0, 0}, false},
        {"nops", {0x90, 0x90, 0x90, 0x90, 0x90, 0x90, 0x90, 0x90}, false},
    };
    for (const ReturnCase& c : cases) {
        FakeAddressSpace space;
        std::vector<std::uint8_t> code(16, 0x90);
        std::copy(c.before.begin(), c.before.end(), code.begin() + 8 - c.before.size());
        space.Map(kCode, code);
        EXPECT_EQ(LooksLikeReturnAddress(space.Memory(), kCode + 8), c.expected) << c.what;
    }
}

TEST(LooksLikeReturnAddress, RefusesWhatCannotBeRead) {
    FakeAddressSpace space;
    space.Map(kCode, std::vector<std::uint8_t>(16, 0xE8));
    EXPECT_FALSE(LooksLikeReturnAddress(space.Memory(), kCode + 4)) << "the bytes before lie outside memory";
    EXPECT_FALSE(LooksLikeReturnAddress(space.Memory(), 5)) << "below 8";
    EXPECT_TRUE(LooksLikeReturnAddress(space.Memory(), kCode + 8));
}

// Every call that the decoder finds in random code, in the forms a 32-bit program uses, must
// pass the test at its end.
TEST(LooksLikeReturnAddress, AgreesWithTheDecoderOnRandomCode) {
    std::mt19937 random(21);
    std::vector<std::uint8_t> code(1 << 16);
    for (auto& b : code) {
        const unsigned r = random() % 8;
        b = r == 0 ? 0xFF : r == 1 ? 0xE8 : static_cast<std::uint8_t>(random());
    }
    FakeAddressSpace space;
    space.Map(kCode, code);
    int calls = 0;
    for (std::uint32_t a = kCode + 8; a + 16 < kCode + code.size(); ++a) {
        x86::Instruction ins;
        if (!x86::decode_at(space.Memory(), a, ins) || ins.flow != x86::Flow::kCall) continue;
        // A relative or far call with a 16-bit operand is no call of 32-bit code.
        if (ins.operand_size == 2 && ins.target_kind == x86::TargetKind::kConstant) continue;
        ++calls;
        EXPECT_TRUE(LooksLikeReturnAddress(space.Memory(), ins.end)) << std::hex << "call at " << a << " ends at " << ins.end;
    }
    EXPECT_GT(calls, 1000);
}

struct ChainCase {
    const char* what;
    std::uint32_t frame;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> saved;  // frame, the frame pointer saved there
    std::vector<std::uint32_t> expected;
};

TEST(FrameSlots, FollowTheChainWhileItIncreases) {
    constexpr std::uint32_t low = 0x1000, high = 0x1100;
    const ChainCase cases[] = {
        {"ends at zero", 0x1000, {{0x1000, 0x1010}, {0x1010, 0x1020}, {0x1020, 0}}, {0x1004, 0x1014, 0x1024}},
        {"refers to itself", 0x1000, {{0x1000, 0x1010}, {0x1010, 0x1010}}, {0x1004, 0x1014}},
        {"goes back down", 0x1000, {{0x1000, 0x1030}, {0x1030, 0x1008}}, {0x1004, 0x1034}},
        {"leaves the stack", 0x1000, {{0x1000, 0x1010}, {0x1010, 0x5000}}, {0x1004, 0x1014, 0x5004}},
        {"starts below the range", 0x0FF0, {}, {}},
        {"starts at the top", 0x10FC, {{0x10FC, 0x10FF}}, {}},
    };
    for (const ChainCase& c : cases) {
        FakeAddressSpace space;
        space.Map(low, std::vector<std::uint8_t>(high - low));
        for (const auto& [at, value] : c.saved) space.PokeDword(at, value);
        EXPECT_EQ(FrameSlots(space.Memory(), c.frame, low, high), c.expected) << c.what;
    }
}

// A module of three functions, A calling B calling C, each with a frame.
struct ThreeFunctions {
    FakeAddressSpace space;
    std::uint32_t b = 0, a_to_b = 0, b_to_c = 0;

    ThreeFunctions() {
        SyntheticModule m("C:\\Synth.exe", 0x00400000, 0x1000);
        const CallChain chain = BuildCallChain(m, 3, m.CodeStart());
        b = chain.entries[1];
        a_to_b = chain.returns[0];
        b_to_c = chain.returns[1];
        m.MapInto(space);
    }
};

TEST(CollectRawStack, RecordsCandidatesInScanOrderWithTheFrameSlotsSure) {
    ThreeFunctions f;
    StackImage stack;
    stack.Call(f.a_to_b);  // B's frame
    stack.Push(0x1234);
    stack.Push(f.b + 1);        // into code, but after no call
    stack.Push(f.a_to_b);       // a stale copy: no frame slot
    stack.Call(f.b_to_c);       // C's frame
    stack.Push(stack.Low() - 0x100);  // a pointer into the stack
    stack.MapInto(f.space);

    std::vector<TDAPreStackItem> raw;
    const int count = CollectRawStack(f.space.Memory(), stack.FramePointer(), stack.High(), stack.Low(), false, 0, raw);
    ASSERT_EQ(count, 3);
    ASSERT_EQ(raw.size(), 4u);
    const std::pair<std::uint8_t, std::uint32_t> expected[] = {{1, f.a_to_b}, {0, f.a_to_b}, {1, f.b_to_c}};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(raw[i + 1].Sure, expected[i].first) << i;
        EXPECT_EQ(raw[i + 1].address(), expected[i].second) << i;
    }

    // The tracer reads the count from the free first entry, the entries after it.
    const PreparedStackRef prepared = PrepareStack(raw);
    ASSERT_EQ(prepared.count(), 3u);
    EXPECT_EQ(raw[0].address(), 3u);
    EXPECT_EQ(prepared.entry(2).address(), f.b_to_c);
    EXPECT_EQ(prepared.entry(0).Sure, 1);
}

TEST(CollectRawStack, StopsAtTheExceptionAddressAndFailsQuietly) {
    ThreeFunctions f;
    StackImage stack;
    stack.Call(f.a_to_b);
    stack.Push(f.b_to_c);  // equal to the exception address below
    stack.Call(f.b_to_c);
    stack.MapInto(f.space);

    std::vector<TDAPreStackItem> raw;
    EXPECT_EQ(CollectRawStack(f.space.Memory(), stack.FramePointer(), stack.High(), stack.Low(), true, f.b_to_c, raw), 1);
    EXPECT_EQ(raw.size(), 2u);
    EXPECT_EQ(raw[1].address(), f.a_to_b);

    EXPECT_EQ(CollectRawStack(f.space.Memory(), 0, 0x00900000, 0x00800000, false, 0, raw), 0) << "unmapped stack";
    EXPECT_EQ(raw.size(), 1u) << "only the free entry";
    EXPECT_EQ(CollectRawStack(f.space.Memory(), 0, stack.Low(), stack.High(), false, 0, raw), 0) << "bounds swapped";

    std::vector<TDAPreStackItem> none;
    const PreparedStackRef empty = PrepareStack(none);
    EXPECT_TRUE(empty.empty());
    EXPECT_EQ(empty.count(), 0u);
    // A count beyond the entries that are there is cut to them.
    std::vector<std::uint8_t> lying{0xFF, 0, 0, 0, 1, 2, 3, 4, 5};
    EXPECT_EQ((PreparedStackRef{lying.data(), lying.size()}.count()), 1u);
    std::vector<std::uint8_t> negative{0xFF, 0xFF, 0xFF, 0xFF, 1, 2, 3, 4, 5};
    EXPECT_EQ((PreparedStackRef{negative.data(), negative.size()}.count()), 0u);
}

}  // namespace
}  // namespace roadsum::testing
