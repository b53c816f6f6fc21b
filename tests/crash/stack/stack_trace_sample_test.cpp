#include <gtest/gtest.h>

#include <cstdio>

#include "crash/stack/stack_tracer.h"
#include "sample_process.h"
#include "stack_image.h"

namespace roadsum::testing {
namespace {

TEST(StackTraceSample, Smoke) {
    SampleProcess p;
    const std::uint32_t main = p.Function("main"), outer = p.Function("TSample.Outer"), middle = p.Function("TSample.Middle"),
                        callback = p.Function("TSample.Callback"), leaf = p.Function("TSample.Leaf");
    const std::uint32_t dll_outer = p.Export("DllOuter"), dll_inner = p.Export("DllInner");
    StackImage stack;
    stack.Call(0x7c800000);  // garbage outer
    stack.Call(p.ReturnAddress(main, outer));
    stack.Push(5);
    stack.Call(p.ReturnAddress(outer, middle));
    stack.Call(p.ReturnAddress(middle, dll_outer));
    stack.Call(p.ReturnAddress(dll_outer, dll_inner));
    stack.Call(p.ReturnAddress(dll_inner, 0));
    stack.Call(p.ReturnAddress(callback, leaf));
    stack.MapInto(p.space);
    StackCaches caches;
    TraceStackOptions o;
    o.StackLow = stack.Low();
    o.StackHigh = stack.High();
    o.FramePointer = stack.FramePointer();
    o.CurrentAddress = leaf + 3;
    std::printf("%s\n", TraceStack(p.space, caches, o).c_str());
}

}  // namespace
}  // namespace roadsum::testing
