// The raw stack of a C++ exception, recorded where it is raised: this program is linked with
// -Wl,--wrap=__cxa_throw, so every throw (the C++ library's own included) passes the wrapper
// below before unwinding starts. The trace of that record shows the raising function and its
// callers although the handler runs after they are gone.
#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

#include "crash/stack/stack_trace_win32.h"

namespace {

struct RaiseRecord {
    std::uint32_t address = 0;
    std::vector<roadsum::TDAPreStackItem> stack;
    int count = 0;
};
thread_local RaiseRecord last_raise;

}  // namespace

extern "C" void __real___cxa_throw(void* object, void* type, void (*destroy)(void*));

extern "C" __attribute__((noinline)) void __wrap___cxa_throw(void* object, void* type, void (*destroy)(void*)) {
    last_raise.address = static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(__builtin_return_address(0)));
    last_raise.count = roadsum::CollectRawStack(0, 0, 0, false, 0, last_raise.stack);
    __real___cxa_throw(object, type, destroy);
}

namespace roadsum {
namespace {

volatile int sink;
int throw_line, call_line;

struct TRaising {
    static int Thrower(int x);
    static int Caller(int x);
    static int OutOfRange(std::size_t index);
};

__attribute__((noinline)) int TRaising::Thrower(int x) {
    throw_line = __LINE__; if (x > 0) throw std::runtime_error("raised");
    return x;
}

__attribute__((noinline)) int TRaising::Caller(int x) {
    call_line = __LINE__; const int r = Thrower(x);
    sink = r;
    return r;
}

__attribute__((noinline)) int TRaising::OutOfRange(std::size_t index) {
    std::vector<int> v(3);
    sink = v.at(index);
    return sink;
}

TStackTrace TraceOfLastRaise(std::string& text) {
    TStackTrace trace;
    TraceStackOptions o;
    o.PreparedStack = PrepareStack(last_raise.stack);
    o.CurrentAddress = last_raise.address;
    o.IsException = true;
    o.StackTrace = &trace;
    text = TraceStack(o);
    return trace;
}

TEST(ThrowWrapper, TraceShowsTheRaiseSiteAndItsCallers) {
    EXPECT_THROW(TRaising::Caller(1), std::runtime_error);
    ASSERT_GT(last_raise.count, 2);
    std::string text;
    const TStackTrace trace = TraceOfLastRaise(text);
    ASSERT_GE(trace.size(), 3u) << text;
    EXPECT_EQ(trace[0].Function, "TRaising.Thrower") << text;
    EXPECT_EQ(trace[0].AbsoluteLine, throw_line) << text;
    EXPECT_EQ(trace[1].Function, "TRaising.Caller") << text;
    EXPECT_EQ(trace[1].AbsoluteLine, call_line) << text;
    std::printf("%s\n", text.c_str());
}

TEST(ThrowWrapper, ThrowsOfTheLibraryPassTheWrapperToo) {
    EXPECT_THROW(TRaising::OutOfRange(7), std::out_of_range);
    ASSERT_GT(last_raise.count, 2);
    std::string text;
    const TStackTrace trace = TraceOfLastRaise(text);
    bool found = false;
    for (const TStackItem& i : trace) found = found || i.Function == "TRaising.OutOfRange";
    EXPECT_TRUE(found) << text;
    std::printf("%s\n", text.c_str());
}

}  // namespace
}  // namespace roadsum
