// Traces of the cross-compiled sample mapped into a fake address space: stacks of real return
// addresses after real call instructions, with and without frame pointers, with garbage and
// stale values between the frames, through the library that has only exports.
#include <gtest/gtest.h>

#include <cstdio>
#include <stdexcept>

#include "crash/stack/raw_stack.h"
#include "crash/stack/stack_tracer.h"
#include "sample_process.h"
#include "stack_image.h"

namespace roadsum {

bool operator==(const TStackItem& a, const TStackItem& b) {
    return a.Address == b.Address && a.FunctionOffset == b.FunctionOffset && a.Module == b.Module && a.Unit == b.Unit &&
           a.AbsoluteLine == b.AbsoluteLine && a.DisplayLine == b.DisplayLine && a.Function == b.Function;
}

void PrintTo(const TStackItem& i, std::ostream* os) {
    char address[16];
    std::snprintf(address, sizeof address, "%08x", i.Address);
    *os << address << " +" << i.FunctionOffset << " " << i.Module << " " << i.Unit << " " << i.AbsoluteLine << " "
        << i.DisplayLine << " " << i.Function;
}

namespace testing {
namespace {

constexpr const char* kExe = "stack_sample.exe";
constexpr const char* kDll = "stack_sample_dll.dll";

std::string hex8(std::uint32_t v) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%08x", v);
    return buffer;
}

// The sample's call chain main > Outer > Middle > DllOuter > DllInner > Callback > Leaf.
struct Chain {
    SampleProcess& p;
    std::uint32_t main, outer, middle, callback, leaf, dll_outer, dll_inner;

    explicit Chain(SampleProcess& process)
        : p(process), main(p.Function("main")), outer(p.Function("TSample.Outer")), middle(p.Function("TSample.Middle")),
          callback(p.Function("TSample.Callback")), leaf(p.Function("TSample.Leaf")), dll_outer(p.Export("DllOuter")),
          dll_inner(p.Export("DllInner")) {}

    // The entry shown for a call of the program at code address inside function.
    TStackItem ExeItem(const char* name, std::uint32_t function, std::uint32_t address) const {
        const std::int32_t line = p.LineOf(address), start = p.LineOf(function);
        return {address, address - function, kExe, "StackSample", line, line - start, name};
    }
    TStackItem DllItem(const char* name, std::uint32_t function, std::uint32_t address) const {
        return {address, address - function, kDll, "", 0, 0, name};
    }

    // Builds the stack from main on, to DllInner only or on through its callback to Leaf;
    // junk puts garbage and stale return addresses between the frames.
    StackImage Stack(bool frame_pointers, bool junk, bool through_callback = true) const {
        StackImage stack;
        stack.Call(0x7C817077, frame_pointers);  // the system's thread start, in no module here
        if (junk) stack.Push(p.ReturnAddress(main, outer));  // a stale copy outside any frame
        stack.Call(p.ReturnAddress(main, outer), frame_pointers);
        if (junk) {
            stack.Push(5);
            stack.Push(p.ReturnAddress(p.Function("TSample.PingA"), leaf));  // left by an earlier call
            stack.Push(leaf + 1);                                            // code after no call
            stack.Push(p.exe + 0x100);                                       // the headers
            stack.Push(0x80001234);                                          // unmapped
        }
        stack.Call(p.ReturnAddress(outer, middle), frame_pointers);
        if (junk) stack.Push(p.ReturnAddress(dll_inner, 0));  // a stale return into the library
        stack.Call(p.ReturnAddress(middle, dll_outer), frame_pointers);
        stack.Call(p.ReturnAddress(dll_outer, dll_inner), frame_pointers);
        if (junk) stack.Push(stack.Low() - 0x40);
        if (!through_callback) return stack;
        stack.Call(p.ReturnAddress(dll_inner, 0), frame_pointers);
        // Below a call through a pointer: a stale return from another such call, which could
        // lead anywhere below.
        if (junk) stack.Push(p.ReturnAddress(p.Function("TSample.Dispatch"), 0));
        stack.Call(p.ReturnAddress(callback, leaf), frame_pointers);
        return stack;
    }

    // The first count calls of the chain from main on, with frame pointers; without_callback
    // leaves out the call through the pointer.
    StackImage Frames(std::size_t count, bool without_callback = false) const {
        const std::uint32_t calls[] = {p.ReturnAddress(main, outer),          p.ReturnAddress(outer, middle),
                                       p.ReturnAddress(middle, dll_outer),    p.ReturnAddress(dll_outer, dll_inner),
                                       p.ReturnAddress(dll_inner, 0),         p.ReturnAddress(callback, leaf)};
        StackImage stack;
        for (std::size_t i = 0; i < count && i < std::size(calls); ++i)
            if (!(without_callback && i == 4)) stack.Call(calls[i]);
        return stack;
    }

    TStackTrace Expected(std::uint32_t top, bool through_callback = true) const {
        TStackTrace trace;
        if (through_callback) {
            trace.push_back(ExeItem("TSample.Leaf", leaf, top));
            trace.push_back(ExeItem("TSample.Callback", callback, p.CallAddress(callback, leaf)));
            trace.push_back(DllItem("DllInner", dll_inner, p.CallAddress(dll_inner, 0)));
        } else {
            trace.push_back(DllItem("DllInner", dll_inner, top));
        }
        trace.push_back(DllItem("DllOuter", dll_outer, p.CallAddress(dll_outer, dll_inner)));
        trace.push_back(ExeItem("TSample.Middle", middle, p.CallAddress(middle, dll_outer)));
        trace.push_back(ExeItem("TSample.Outer", outer, p.CallAddress(outer, middle)));
        trace.push_back(ExeItem("main", main, p.CallAddress(main, outer)));
        return trace;
    }
};

struct TraceResult {
    std::string text;
    TStackTrace items;
    std::uint32_t crc1 = 0, crc2 = 0;
    bool has_lines = false;
};

TraceResult Trace(SampleProcess& p, StackCaches& caches, TraceStackOptions o) {
    TraceResult r;
    o.StackTrace = &r.items;
    o.Crc1 = &r.crc1;
    o.Crc2 = &r.crc2;
    o.HasLineInfo = &r.has_lines;
    r.text = TraceStack(p.space, caches, o);
    return r;
}

// The sample with its call chain and caches of its own.
class StackTraceSample : public ::testing::Test {
protected:
    // Maps the stack into the process; the result traces it with current as the top.
    TraceStackOptions Map(const StackImage& stack, std::uint32_t current) {
        stack.MapInto(p.space);
        return OptionsFor(stack, current);
    }
    TraceResult Trace(const TraceStackOptions& o) { return testing::Trace(p, caches, o); }

    SampleProcess p;
    Chain chain{p};
    StackCaches caches;
};

TEST_F(StackTraceSample, ResolvesTheCallChainWhateverLiesBetweenTheFrames) {
    // Without frame pointers only the calls link the frames; a call through a pointer links
    // nothing that the debug information places (a guess never overrides it), so that chain
    // is direct calls only.
    struct Variant {
        const char* what;
        bool frame_pointers, junk, through_callback;
    } variants[] = {{"frame chain", true, false, true},
                    {"frame chain and junk", true, true, true},
                    {"no frame pointers", false, false, false},
                    {"no frame pointers and junk", false, true, false}};
    for (const Variant& v : variants) {
        StackCaches fresh;
        const std::uint32_t top = v.through_callback ? chain.leaf + 3 : chain.dll_inner + 1;
        const TraceResult r = testing::Trace(p, fresh, Map(chain.Stack(v.frame_pointers, v.junk, v.through_callback), top));
        EXPECT_EQ(r.items, chain.Expected(top, v.through_callback)) << v.what << "\n" << r.text;
        EXPECT_TRUE(r.has_lines) << v.what;
    }
}

TEST_F(StackTraceSample, PrintsAlignedColumnsOnePerLine) {
    const TraceResult r = Trace(Map(chain.Stack(true, false), chain.leaf + 3));
    ASSERT_EQ(r.items.size(), 7u);
    // Rebuilt from the entries with the column rules: module and unit padded to the longest
    // plus one, line numbers right-aligned, the relative address zero-padded with its sign.
    std::size_t abs_width = 0, line_width = 0;
    for (const TStackItem& i : r.items) {
        if (i.AbsoluteLine > 0) abs_width = std::max(abs_width, std::to_string(i.AbsoluteLine).size());
        if (i.AbsoluteLine > 0) line_width = std::max(line_width, std::to_string(i.DisplayLine).size() + 1);
    }
    std::string expected;
    for (const TStackItem& i : r.items) {
        char rel[16];
        std::snprintf(rel, sizeof rel, "+%03x", i.FunctionOffset);
        std::string abs = i.AbsoluteLine > 0 ? std::to_string(i.AbsoluteLine) : "";
        std::string line = i.AbsoluteLine > 0 ? "+" + std::to_string(i.DisplayLine) : "";
        if (!expected.empty()) expected += "\r\n";
        expected += hex8(i.Address) + " " + rel + " " + i.Module + std::string(21 - i.Module.size(), ' ') + i.Unit +
                    std::string(12 - i.Unit.size(), ' ') + std::string(abs_width - abs.size(), ' ') + abs + " " +
                    std::string(line_width - line.size(), ' ') + line + " " + i.Function;
    }
    EXPECT_EQ(r.text, expected);
}

TEST_F(StackTraceSample, PreparedStackGivesTheSameTrace) {
    const TraceStackOptions direct_options = Map(chain.Stack(true, true), chain.leaf + 3);
    std::vector<TDAPreStackItem> raw;
    ASSERT_GT(CollectRawStack(p.space.Memory(), direct_options.FramePointer, direct_options.StackHigh,
                              direct_options.StackLow, false, 0, raw),
              6);
    const TraceResult direct = Trace(direct_options);
    TraceStackOptions o;
    o.PreparedStack = PrepareStack(raw);
    o.CurrentAddress = chain.leaf + 3;
    const TraceResult prepared = Trace(o);
    EXPECT_EQ(prepared.items, chain.Expected(chain.leaf + 3)) << prepared.text;
    EXPECT_EQ(prepared.text, direct.text);
}

TEST_F(StackTraceSample, SecondTraceUsesTheCaches) {
    const TraceStackOptions o = Map(chain.Stack(false, true, false), chain.dll_inner + 1);
    const std::size_t before = p.space.Reads(), lookups = p.space.DebugInfoLookups();
    const TraceResult first = Trace(o);
    const std::size_t first_reads = p.space.Reads() - before;
    EXPECT_EQ(p.space.DebugInfoLookups() - lookups, 2u) << "once per module";
    const std::size_t functions = caches.Functions().size(), modules = caches.Modules().size();
    const TraceResult second = Trace(o);
    const std::size_t second_reads = p.space.Reads() - before - first_reads;
    EXPECT_EQ(second.text, first.text);
    EXPECT_EQ(caches.Functions().size(), functions);
    EXPECT_EQ(caches.Modules().size(), modules);
    EXPECT_EQ(modules, 2u);
    EXPECT_LT(second_reads * 2, first_reads) << "the function analyses are not done again";
    EXPECT_EQ(p.space.DebugInfoLookups() - lookups, 2u) << "unchanged modules keep their debug information";

    // A module whose file changed at its address is read again.
    p.space.SetModulePath(p.dll, "C:\\Sample\\other.dll");
    const TraceResult third = Trace(o);
    ASSERT_EQ(third.items.size(), 5u) << third.text;
    EXPECT_EQ(third.items[1].Module, "other.dll");
    EXPECT_EQ(third.items[1].Function, "DllOuter");
    EXPECT_EQ(p.space.DebugInfoLookups() - lookups, 3u);
}

TEST(StackTraceSampleElsewhere, ChecksumsDoNotDependOnTheLoadAddress) {
    const auto trace = [](const SampleOptions& options, bool with_callback) {
        SampleProcess p(options);
        const Chain chain(p);
        const StackImage stack = chain.Frames(6, !with_callback);
        stack.MapInto(p.space);
        StackCaches caches;
        return Trace(p, caches, OptionsFor(stack, chain.leaf + 3));
    };
    const TraceResult here = trace({}, true);
    const TraceResult there = trace({0x00800000, 0x20000000, true}, true);
    ASSERT_EQ(here.items.size(), 7u);
    ASSERT_EQ(there.items.size(), 7u);
    EXPECT_NE(here.items[0].Address, there.items[0].Address);
    EXPECT_EQ(here.crc1, there.crc1);
    EXPECT_EQ(here.crc2, there.crc2);
    EXPECT_NE(here.crc1, here.crc2);

    const TraceResult shorter = trace({}, false);
    EXPECT_EQ(shorter.crc1, here.crc1) << "the same crash location";
    EXPECT_NE(shorter.crc2, here.crc2) << "another stack";
}

TEST_F(StackTraceSample, UnreadableStackGivesAnEmptyText) {
    TraceStackOptions o;
    o.StackLow = 0x00700000;
    o.StackHigh = 0x00710000;
    o.CurrentAddress = p.Function("TSample.Leaf");
    EXPECT_EQ(TraceStack(p.space, caches, o), "");
    o.StackLow = 0x00710000;
    o.StackHigh = 0x00700000;
    EXPECT_EQ(TraceStack(p.space, caches, o), "");
}

TEST_F(StackTraceSample, ExceptionAddressMetInTheScanBecomesTheTopAndEndsIt) {
    TraceStackOptions o = Map(chain.Stack(true, false), p.ReturnAddress(chain.outer, chain.middle));
    o.IsException = true;
    o.ExternalException = true;
    const TraceResult r = Trace(o);
    const TStackTrace expected{chain.ExeItem("TSample.Outer", chain.outer, o.CurrentAddress),
                               chain.ExeItem("main", chain.main, p.CallAddress(chain.main, chain.outer))};
    EXPECT_EQ(r.items, expected) << r.text;
}

TEST_F(StackTraceSample, RaisingCallIsShownForTheExceptionAddressAfterIt) {
    const std::uint32_t thrower = p.Function("TSample.Thrower"), raise = p.Function("TSample.RaiseError");
    StackImage stack;
    stack.Call(p.ReturnAddress(chain.main, thrower));
    TraceStackOptions o = Map(stack, p.ReturnAddress(thrower, raise));
    o.IsException = true;
    TraceResult r = Trace(o);
    ASSERT_EQ(r.items.size(), 2u) << r.text;
    EXPECT_EQ(r.items[0].Address, p.CallAddress(thrower, raise)) << "moved to the raising call";
    EXPECT_EQ(r.items[0].Function, "TSample.Thrower");
    std::uint32_t function = 0, within = 0;
    o.ExceptionFunction = &function;
    o.ExceptionFunctionAddress = &within;
    r = Trace(o);
    EXPECT_EQ(function, thrower);
    EXPECT_EQ(within, p.CallAddress(thrower, raise));

    // A return from a call of a routine that does not raise stays where it is.
    o = Map(chain.Frames(1), p.ReturnAddress(chain.outer, chain.middle));
    o.IsException = true;
    r = Trace(o);
    ASSERT_EQ(r.items.size(), 2u) << r.text;
    EXPECT_EQ(r.items[0].Address, o.CurrentAddress);
}

TEST_F(StackTraceSample, RecursionFoldsToOneBlock) {
    const std::uint32_t a = p.Function("TSample.PingA"), b = p.Function("TSample.PingB");
    for (const bool frame_pointers : {true, false}) {
        StackImage stack;
        stack.Call(p.ReturnAddress(chain.main, a), frame_pointers);
        for (int i = 0; i < 3; ++i) {
            stack.Call(p.ReturnAddress(a, b), frame_pointers);
            stack.Call(p.ReturnAddress(b, a), frame_pointers);
        }
        stack.Call(p.ReturnAddress(a, chain.leaf), frame_pointers);
        StackCaches fresh;
        const TraceResult r = testing::Trace(p, fresh, Map(stack, chain.leaf + 3));
        std::vector<std::string> functions;
        for (const TStackItem& i : r.items) functions.push_back(i.Function);
        EXPECT_EQ(functions, (std::vector<std::string>{"TSample.Leaf", "TSample.PingA", "TSample.PingB", "TSample.PingA", "main"}))
            << (frame_pointers ? "frame chain" : "no frame pointers") << "\n" << r.text;
    }
}

TEST_F(StackTraceSample, HideUglyItemsKeepsTheTopAndTheCreator) {
    TraceStackOptions o = Map(chain.Frames(4), chain.dll_inner + 1);
    o.CreatorAddress = chain.main;
    o.HideUglyItems = true;
    const TraceResult r = Trace(o);
    const TStackTrace expected{
        chain.DllItem("DllInner", chain.dll_inner, chain.dll_inner + 1),  // the top, without a line
        chain.ExeItem("TSample.Middle", chain.middle, p.CallAddress(chain.middle, chain.dll_outer)),
        chain.ExeItem("TSample.Outer", chain.outer, p.CallAddress(chain.outer, chain.middle)),
        chain.ExeItem("main", chain.main, p.CallAddress(chain.main, chain.outer)),
        chain.ExeItem("main", chain.main, chain.main),  // the creator, on the function's first line
    };
    EXPECT_EQ(r.items, expected) << r.text;
}

TEST_F(StackTraceSample, EqualConsecutiveAddressesPrintOnce) {
    // The current address is the call whose return address lies innermost on the stack.
    const TraceResult r = Trace(Map(chain.Frames(3), p.CallAddress(chain.middle, chain.dll_outer)));
    std::vector<std::string> functions;
    for (const TStackItem& i : r.items) functions.push_back(i.Function);
    EXPECT_EQ(functions, (std::vector<std::string>{"TSample.Middle", "TSample.Outer", "main"})) << r.text;
}

TEST(StackTraceSampleElsewhere, WithoutDebugInformationAddressesModulesAndExportsRemain) {
    SampleProcess p({0, 0x10000000, false});
    const Chain chain(p);
    const StackImage stack = chain.Stack(true, false);
    stack.MapInto(p.space);
    const std::uint32_t top = chain.leaf + 3, inner = p.CallAddress(chain.dll_inner, 0),
                        outer = p.CallAddress(chain.dll_outer, chain.dll_inner);
    char rel_inner[8], rel_outer[8];
    std::snprintf(rel_inner, sizeof rel_inner, "%03x", inner - chain.dll_inner);
    std::snprintf(rel_outer, sizeof rel_outer, "%03x", outer - chain.dll_outer);
    StackCaches caches;
    TraceStackOptions o = OptionsFor(stack, top);
    EXPECT_EQ(TraceStack(p.space, caches, o), hex8(top) + " +000 stack_sample.exe      \r\n" +                       //
                                                  hex8(inner) + " +" + rel_inner + " stack_sample_dll.dll  DllInner\r\n" +  //
                                                  hex8(outer) + " +" + rel_outer + " stack_sample_dll.dll  DllOuter");
    o.ShowRelAddrs = false;
    EXPECT_EQ(TraceStack(p.space, caches, o), hex8(top) + " stack_sample.exe      \r\n" +                   //
                                                  hex8(inner) + " stack_sample_dll.dll  DllInner\r\n" +  //
                                                  hex8(outer) + " stack_sample_dll.dll  DllOuter");
}

// Fails in the phase it is told to, as an internal fault of the tracer would.
class FailingProgress final : public StackTraceProgress {
public:
    explicit FailingProgress(TracePhase phase) : phase_(phase) {}
    void PhaseStarted(TracePhase phase) override {
        if (phase == phase_) throw std::runtime_error("fault");
    }
    void Position(int) override {}

private:
    TracePhase phase_;
};

TEST_F(StackTraceSample, InternalFailureNamesItsPhase) {
    const TraceStackOptions traced = Map(chain.Stack(true, false), chain.leaf + 3);
    const TracePhase phases[] = {TracePhase::CollectPossibleStackItems, TracePhase::RemoveRecursiveStackAreas,
                                 TracePhase::InDeepChecks,              TracePhase::RealizeOptimalLinkChains,
                                 TracePhase::RemoveRecursiveAreas,      TracePhase::FillFinalOutput,
                                 TracePhase::ComposeResult};
    for (TracePhase phase : phases) {
        FailingProgress progress(phase);
        TraceStackOptions o = traced;
        o.Progress = &progress;
        EXPECT_EQ(TraceStack(p.space, caches, o), std::string(">> internal error in ") + TracePhaseName(phase));
    }
    // With the place of the fault known, and while tracing an exception, both locations follow.
    p.space.SetRaiseAddress(chain.callback + 3);
    FailingProgress progress(TracePhase::InDeepChecks);
    TraceStackOptions o = traced;
    o.Progress = &progress;
    o.IsException = true;
    EXPECT_EQ(TraceStack(p.space, caches, o),
              ">> internal error in InDeepChecks:\r\n" + FormatCodeAddress(p.space, caches, chain.callback + 3, true, true) +
                  "\r\n>> original exception location: \r\n" + FormatCodeAddress(p.space, caches, chain.leaf + 3, true, true));
}

TEST_F(StackTraceSample, ProgressRunsFromZeroToAThousandAndAbortStops) {

    class Recorder final : public StackTraceProgress {
    public:
        std::vector<int> positions;
        std::atomic<bool>* abort_at_checks = nullptr;
        void Position(int position) override {
            positions.push_back(position);
            if (abort_at_checks && position > 25) *abort_at_checks = true;
        }
    } recorder;
    TraceStackOptions o = Map(chain.Stack(false, true), chain.leaf + 3);
    o.Progress = &recorder;
    ASSERT_FALSE(TraceStack(p.space, caches, o).empty());
    ASSERT_GE(recorder.positions.size(), 3u);
    EXPECT_EQ(recorder.positions.front(), 0);
    EXPECT_EQ(recorder.positions.back(), 1000);
    EXPECT_TRUE(std::is_sorted(recorder.positions.begin(), recorder.positions.end()));

    std::atomic<bool> abort{false};
    recorder.abort_at_checks = &abort;
    o.Abort = &abort;
    EXPECT_EQ(TraceStack(p.space, caches, o), "");
}

TEST_F(StackTraceSample, FormatCodeAddressOfResolvedAndUnresolvedAddresses) {
    const std::uint32_t callback = p.Function("TSample.Callback");
    const std::uint32_t call = p.CallAddress(callback, p.Function("TSample.Leaf"));
    const std::int32_t line = p.LineOf(call), start = p.LineOf(callback);
    char rel[16];
    std::snprintf(rel, sizeof rel, "%x", call - callback);
    EXPECT_EQ(FormatCodeAddress(p.space, caches, call, true, true),
              hex8(call) + " +" + rel + " stack_sample.exe StackSample " + std::to_string(line) + " +" +
                  std::to_string(line - start) + " TSample.Callback");
    EXPECT_EQ(FormatCodeAddress(p.space, caches, call, false, false),
              hex8(call) + " stack_sample.exe StackSample " + std::to_string(line) + " TSample.Callback");
    EXPECT_EQ(FormatCodeAddress(p.space, caches, p.Export("DllOuter"), true, true), hex8(p.Export("DllOuter")) + " +0 ???");
    EXPECT_EQ(FormatCodeAddress(p.space, caches, 0x00700000, false, true), "00700000 ???");
}

}  // namespace
}  // namespace testing
}  // namespace roadsum
