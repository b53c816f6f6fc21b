// The stack tracer over a fake address space, on stacks of 50, 1,000 and 10,000 frames:
//   Chain      distinct functions calling one another (a hand-made module), with frame
//              pointers (every frame anchored) and without (only the calls link the frames);
//   Recursion  the cross-compiled sample's PingA/PingB calling each other (real code).
// "First" traces with empty caches, so every module is read and every function analysed;
// "Second" with the caches of an earlier trace. Items per second count frames, so a cost that
// grows linearly with the depth shows as a steady rate.
#include <benchmark/benchmark.h>

#include <map>
#include <memory>

#include "crash/stack/stack_tracer.h"
#include "sample_process.h"
#include "stack_image.h"
#include "synthetic_module.h"

namespace {

using namespace roadsum;
using namespace roadsum::testing;

enum Kind { kChainWithFrames, kChainWithoutFrames, kRecursion };

struct World {
    std::unique_ptr<SampleProcess> sample;  // for the recursion
    FakeAddressSpace own;                   // for the chains
    TraceStackOptions options;
    FakeAddressSpace& space() { return sample ? sample->space : own; }
};

std::unique_ptr<World> make_world(Kind kind, int frames) {
    auto w = std::make_unique<World>();
    StackImage stack(0x00730000, 0x80000);
    std::uint32_t top = 0;
    if (kind == kRecursion) {
        w->sample = std::make_unique<SampleProcess>();
        SampleProcess& p = *w->sample;
        const std::uint32_t main = p.Function("main"), a = p.Function("TSample.PingA"), b = p.Function("TSample.PingB");
        stack.Call(p.ReturnAddress(main, a));
        for (int i = 1; i + 1 < frames; i += 2) {
            stack.Call(p.ReturnAddress(a, b));
            stack.Call(p.ReturnAddress(b, a));
        }
        top = a + 3;
    } else {
        SyntheticModule m("C:\\Chain.exe", 0x00400000, 0x30000);
        const CallChain chain = BuildCallChain(m, static_cast<std::size_t>(frames), m.CodeStart());
        m.MapInto(w->own);
        for (std::uint32_t r : chain.returns) stack.Call(r, kind == kChainWithFrames);
        top = chain.entries.back() + 3;
    }
    stack.MapInto(w->space());
    w->options = OptionsFor(stack, top);
    w->options.IsException = w->options.ExternalException = kind != kRecursion;
    return w;
}

World& world(Kind kind, int frames) {
    static std::map<std::pair<int, int>, std::unique_ptr<World>> worlds;
    auto& w = worlds[{kind, frames}];
    if (!w) w = make_world(kind, frames);
    return *w;
}

void trace(benchmark::State& state, Kind kind, bool warm) {
    World& w = world(kind, static_cast<int>(state.range(0)));
    StackCaches warm_caches;
    if (warm) TraceStack(w.space(), warm_caches, w.options);
    std::size_t length = 0;
    for (auto _ : state) {
        if (warm) {
            length = TraceStack(w.space(), warm_caches, w.options).size();
        } else {
            StackCaches caches;
            length = TraceStack(w.space(), caches, w.options).size();
        }
        benchmark::DoNotOptimize(length);
    }
    state.counters["text_bytes"] = static_cast<double>(length);
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_TraceChainWithFramesFirst(benchmark::State& s) { trace(s, kChainWithFrames, false); }
void BM_TraceChainWithFramesSecond(benchmark::State& s) { trace(s, kChainWithFrames, true); }
void BM_TraceChainWithoutFramesFirst(benchmark::State& s) { trace(s, kChainWithoutFrames, false); }
void BM_TraceChainWithoutFramesSecond(benchmark::State& s) { trace(s, kChainWithoutFrames, true); }
void BM_TraceRecursionFirst(benchmark::State& s) { trace(s, kRecursion, false); }
void BM_TraceRecursionSecond(benchmark::State& s) { trace(s, kRecursion, true); }

#define FRAMES Arg(50)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)
BENCHMARK(BM_TraceChainWithFramesFirst)->FRAMES;
BENCHMARK(BM_TraceChainWithFramesSecond)->FRAMES;
BENCHMARK(BM_TraceChainWithoutFramesFirst)->FRAMES;
BENCHMARK(BM_TraceChainWithoutFramesSecond)->FRAMES;
BENCHMARK(BM_TraceRecursionFirst)->FRAMES;
BENCHMARK(BM_TraceRecursionSecond)->FRAMES;

}  // namespace
