// Traces over hand-made modules, where exact addresses, names and lines matter: the line
// format, deep recursion, the minimal debug information list, the other compiler's exception
// frames, and the checksums against an independent CRC-32.
#include <gtest/gtest.h>

#include "crash/stack/callstack_crc.h"
#include "crash/stack/raw_stack.h"
#include "crash/stack/stack_tracer.h"
#include "stack_image.h"
#include "synthetic_module.h"

namespace roadsum::testing {
namespace {

std::vector<std::string> FunctionsOf(const TStackTrace& trace) {
    std::vector<std::string> names;
    for (const TStackItem& i : trace) names.push_back(i.Function);
    return names;
}

TEST(StackTraceFormat, LineOfTheReportExample) {
    FakeAddressSpace space;
    SyntheticModule m("C:\\Program Files\\Roadsum\\Roadsum.exe", 0x00400000, 0x50000);
    m.BeginFunction("@RoadsumFrm@TRoadsumFrm@PricelistBtnClick$qqrp14System@TObject", "RoadsumFrm", 0x0044f386);
    m.Prologue(108);
    m.Emit(std::vector<std::uint8_t>(19, 0x90), 110);
    m.Emit(std::vector<std::uint8_t>(6, 0x90), 112);
    ASSERT_EQ(m.Here(), 0x0044f3a2u);
    m.Emit({0x8B, 0x00});  // mov eax, [eax]: the faulting instruction
    m.Epilogue(113);
    m.MapInto(space);
    StackImage stack;
    stack.Push(0);
    stack.MapInto(space);

    StackCaches caches;
    TraceStackOptions o = OptionsFor(stack, 0x0044f3a2);
    o.IsException = true;
    o.ExternalException = true;
    EXPECT_EQ(TraceStack(space, caches, o), "0044f3a2 +01c Roadsum.exe RoadsumFrm 112 +4 TRoadsumFrm.PricelistBtnClick");
    EXPECT_EQ(FormatCodeAddress(space, caches, 0x0044f3a2, true, true),
              "0044f3a2 +1c Roadsum.exe RoadsumFrm 112 +4 TRoadsumFrm.PricelistBtnClick");
}

// main calls R, R calls itself; the top lies in R.
struct Recursion {
    FakeAddressSpace space;
    std::uint32_t main = 0, r = 0, main_to_r = 0, r_to_r = 0;

    Recursion() {
        SyntheticModule m("C:\\Deep.exe", 0x00400000, 0x1000);
        r = m.BeginFunction("@Deep@R$qqrv", "Deep", 0x00401100);
        m.Prologue(20);
        r_to_r = m.Call(r, 21);
        m.Epilogue(22);
        main = m.BeginFunction("main", "Deep", 0x00401000);
        m.Prologue(10);
        main_to_r = m.Call(r, 11);
        m.Epilogue(12);
        m.MapInto(space);
    }
};

TEST(StackTraceRecursion, TenThousandFramesFoldToOne) {
    for (const bool frame_pointers : {true, false}) {
        Recursion rec;
        StackImage stack(0x00530000, 0x40000);
        stack.Call(rec.main_to_r, frame_pointers);
        for (int i = 0; i < 10000; ++i) stack.Call(rec.r_to_r, frame_pointers);
        stack.MapInto(rec.space);
        StackCaches caches;
        TStackTrace trace;
        TraceStackOptions o = OptionsFor(stack, rec.r);
        o.StackTrace = &trace;
        const std::string text = TraceStack(rec.space, caches, o);
        EXPECT_EQ(FunctionsOf(trace), (std::vector<std::string>{"R", "R", "main"})) << text;
    }
}

// Chains far deeper than any real stack stay whole: the scores of their links add up short of
// the flags that tell a chain that reached its goal.
TEST(StackTraceRecursion, FiveThousandDistinctFramesWithoutFramePointersStayWhole) {
    constexpr std::size_t kFrames = 5000;
    FakeAddressSpace space;
    SyntheticModule m("C:\\Chain.exe", 0x00400000, 0x20000);
    const CallChain chain = BuildCallChain(m, kFrames, m.CodeStart());
    m.MapInto(space);
    StackImage stack(0x00530000, 0x40000);
    for (std::uint32_t r : chain.returns) stack.Call(r, false);
    stack.MapInto(space);
    StackCaches caches;
    TStackTrace trace;
    TraceStackOptions o = OptionsFor(stack, chain.entries.back() + 3);
    o.IsException = o.ExternalException = true;
    o.StackTrace = &trace;
    TraceStack(space, caches, o);
    ASSERT_EQ(trace.size(), kFrames);
    for (std::size_t i = 0; i < kFrames; ++i) ASSERT_EQ(trace[i].Function, "F" + std::to_string(kFrames - 1 - i)) << i;
}

TEST(StackTraceFormat, ModulesWithMinimalDebugInformationAreListedOnce) {
    FakeAddressSpace space;
    SyntheticModule m("C:\\Minimal.exe", 0x00400000, 0x1000);
    m.SetMinDebugInfo("$00001234, $89abcdef, $00000001");
    const std::uint32_t leaf = m.BeginFunction("public2", "segment1", 0x00401100);
    m.Prologue();
    m.Epilogue();
    m.BeginFunction("public1", "segment0", 0x00401000);
    m.Prologue();
    const std::uint32_t back = m.Call(leaf);
    m.Epilogue();
    m.MapInto(space);
    StackImage stack;
    stack.Call(back);
    stack.MapInto(space);

    StackCaches caches;
    std::vector<std::string> list{"$00001234, $89ABCDEF, $00000001|minimal.exe"};
    TraceStackOptions o = OptionsFor(stack, leaf);
    o.MinDebugInfos = &list;
    TraceStack(space, caches, o);
    EXPECT_EQ(list, std::vector<std::string>{"$00001234, $89ABCDEF, $00000001|minimal.exe"}) << "known already, in another case";
    list.clear();
    TraceStack(space, caches, o);
    EXPECT_EQ(list, std::vector<std::string>{"$00001234, $89abcdef, $00000001|Minimal.exe"});
}

// Frames of the other compiler's exception run-time: functions calling one another in a chain,
// the top in a function of its own.
struct RunTimeFrames {
    FakeAddressSpace space;
    std::vector<std::uint32_t> returns;  // of each call, outermost first
    std::uint32_t top = 0;

    explicit RunTimeFrames(const std::vector<std::string>& chain) {
        SyntheticModule m("C:\\Bcb.exe", 0x00400000, 0x2000);
        std::vector<std::uint32_t> entries;
        for (std::size_t i = 0; i < chain.size(); ++i) entries.push_back(0x00401000 + 0x100 * static_cast<std::uint32_t>(i));
        for (std::size_t i = 0; i < chain.size(); ++i) {
            m.BeginFunction(chain[i], "Bcb", entries[i]);
            m.Prologue(10 * static_cast<int>(i) + 1);
            if (i + 1 < chain.size()) returns.push_back(m.Call(entries[i + 1], 10 * static_cast<int>(i) + 2));
            top = m.Here();
            m.Emit({0x8B, 0x00}, 10 * static_cast<int>(i) + 3);
            m.Epilogue(10 * static_cast<int>(i) + 4);
        }
        m.MapInto(space);
    }
};

TEST(StackTraceRunTimeFrames, TerminationHidesTheThrowAndWhatLiesInside) {
    RunTimeFrames f({"main", "A", "_ThrowExceptionLDTC", "B"});
    StackImage stack;
    for (std::uint32_t r : f.returns) stack.Call(r);
    stack.MapInto(f.space);
    for (const bool termination : {false, true}) {
        StackCaches caches;
        TStackTrace trace;
        TraceStackOptions o = OptionsFor(stack, f.top);
        o.IsException = o.ExternalException = true;
        o.BcbTermination = termination;
        o.StackTrace = &trace;
        TraceStack(f.space, caches, o);
        const std::vector<std::string> expected =
            termination ? std::vector<std::string>{"A", "main"} : std::vector<std::string>{"B", "_ThrowExceptionLDTC", "A", "main"};
        EXPECT_EQ(FunctionsOf(trace), expected);
    }
}

TEST(StackTraceRunTimeFrames, HandlerOfAPreparedStackHidesItsOwnCalls) {
    RunTimeFrames f({"main", "KiUserExceptionDispatcher", "__ExceptionHandler", "Collect", "Faulty"});
    // Collected inside the handler; the fault itself lies elsewhere.
    std::vector<TDAPreStackItem> raw(1);
    for (std::size_t i = 0; i + 1 < f.returns.size(); ++i) {
        TDAPreStackItem entry;
        entry.Sure = 1;
        entry.set_address(f.returns[i]);
        raw.push_back(entry);
    }
    StackCaches caches;
    TStackTrace trace;
    TraceStackOptions o;
    o.PreparedStack = PrepareStack(raw);
    o.CurrentAddress = f.top;
    o.IsException = o.ExternalException = true;
    o.StackTrace = &trace;
    TraceStack(f.space, caches, o);
    EXPECT_EQ(FunctionsOf(trace), (std::vector<std::string>{"Faulty", "__ExceptionHandler", "main"}));
}

TEST(CallstackCrc, MatchesAnIndependentCrc32AndIgnoresCase) {
    // Reference values from zlib's CRC-32 with the inversions taken off.
    CallstackCrc crc;
    crc.AddLine(0x0044f3a2, 0x0044f386, "Roadsum.exe", "RoadsumFrm", "TRoadsumFrm.PricelistBtnClick");
    EXPECT_EQ(crc.Crc1, 0xee7ddecfu);
    EXPECT_EQ(crc.Crc2, 0xee7ddecfu);
    crc.AddLine(0x00401234, 0, "Roadsum.exe", "", "");  // no function start: the address itself
    EXPECT_EQ(crc.Crc1, 0xee7ddecfu);
    EXPECT_EQ(crc.Crc2, 0xe4887943u);

    CallstackCrc upper, lower;
    upper.AddLine(0x1010, 0x1000, "M\xC4.DLL", "", "F");
    lower.AddLine(0x2010, 0x2000, "m\xE4.dll", "", "f");
    EXPECT_EQ(upper.Crc1, 0xe68bcbccu);
    EXPECT_EQ(lower.Crc1, upper.Crc1);
}

}  // namespace
}  // namespace roadsum::testing
