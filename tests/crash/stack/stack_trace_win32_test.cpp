// The tracer over this process under Wine: the calling thread's own stack, and another thread
// suspended for the purpose, resolved through this test program's debug information (the
// side files beside it).
#include <gtest/gtest.h>

#include <windows.h>

#include <thread>

#include "crash/stack/stack_trace_win32.h"

namespace roadsum {
namespace {

volatile int sink;
int level1_line, level2_line, park1_line, park2_line;
HANDLE ready;
TraceSession* level3_session;

std::string Describe(const TStackTrace& trace) {
    std::string text;
    for (const TStackItem& i : trace)
        text += i.Module + " " + i.Unit + " " + std::to_string(i.AbsoluteLine) + " " + i.Function + "\n";
    return text;
}

// The position of the first entry of function, or -1.
int Find(const TStackTrace& trace, const std::string& function) {
    for (std::size_t i = 0; i < trace.size(); ++i)
        if (trace[i].Function == function) return static_cast<int>(i);
    return -1;
}

struct TTraced {
    static int Level1(TStackTrace& trace, std::string& text);
    static int Level2(TStackTrace& trace, std::string& text);
    static int Level3(TStackTrace& trace, std::string& text);
    static DWORD WINAPI ParkedThread(void* event);
    static int Park1(HANDLE event);
    static int Park2(HANDLE event);
};

__attribute__((noinline)) int TTraced::Level3(TStackTrace& trace, std::string& text) {
    TraceStackOptions o;
    o.StackTrace = &trace;
    text = TraceStack(o, level3_session);
    sink = static_cast<int>(text.size());
    return sink;
}

__attribute__((noinline)) int TTraced::Level2(TStackTrace& trace, std::string& text) {
    const int r = Level3(trace, text); level2_line = __LINE__;
    sink = r;
    return r + 1;
}

__attribute__((noinline)) int TTraced::Level1(TStackTrace& trace, std::string& text) {
    const int r = Level2(trace, text); level1_line = __LINE__;
    sink = r;
    return r + 1;
}

__attribute__((noinline)) int TTraced::Park2(HANDLE event) {
    SetEvent(ready);
    const int r = static_cast<int>(WaitForSingleObject(event, 10000)); park2_line = __LINE__;
    sink = r;
    return r;
}

__attribute__((noinline)) int TTraced::Park1(HANDLE event) {
    const int r = Park2(event); park1_line = __LINE__;
    sink = r;
    return r + 1;
}

DWORD WINAPI TTraced::ParkedThread(void* event) { return static_cast<DWORD>(Park1(static_cast<HANDLE>(event))); }

TEST(StackTraceWin32, TracesTheCallingThread) {
    TStackTrace trace;
    std::string text;
    TTraced::Level1(trace, text);
    ASSERT_GE(trace.size(), 4u) << text;
    EXPECT_EQ(trace[0].Function, "TTraced.Level3") << text;
    ASSERT_EQ(trace[1].Function, "TTraced.Level2") << text;
    EXPECT_EQ(trace[1].AbsoluteLine, level2_line);
    ASSERT_EQ(trace[2].Function, "TTraced.Level1") << text;
    EXPECT_EQ(trace[2].AbsoluteLine, level1_line);
    EXPECT_EQ(trace[2].Unit, "StackTraceWin32Test");
    EXPECT_EQ(trace[2].Module, "stack_win32_tests.exe");
    EXPECT_NE(Find(trace, "StackTraceWin32_TracesTheCallingThread_Test.TestBody"), -1) << Describe(trace);
    std::printf("%s\n", text.c_str());
}

TEST(StackTraceWin32, TracesAnotherThreadWhileItIsSuspended) {
    HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    ready = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE thread = CreateThread(nullptr, 0, &TTraced::ParkedThread, event, 0, nullptr);
    ASSERT_NE(thread, nullptr);
    // Once it is about to wait, give it the time to block.
    ASSERT_EQ(WaitForSingleObject(ready, 10000), WAIT_OBJECT_0);
    Sleep(100);

    ASSERT_NE(SuspendThread(thread), static_cast<DWORD>(-1));
    TStackTrace trace;
    TraceStackOptions o;
    o.StackTrace = &trace;
    const std::string text = TraceThreadStack(thread, o);
    ResumeThread(thread);
    SetEvent(event);
    WaitForSingleObject(thread, 10000);
    CloseHandle(thread);
    CloseHandle(event);
    CloseHandle(ready);

    const int park2 = Find(trace, "TTraced.Park2");
    ASSERT_NE(park2, -1) << text;
    ASSERT_LT(park2 + 2, static_cast<int>(trace.size())) << text;
    EXPECT_EQ(trace[park2].AbsoluteLine, park2_line) << text;
    EXPECT_EQ(trace[park2 + 1].Function, "TTraced.Park1") << text;
    EXPECT_EQ(trace[park2 + 1].AbsoluteLine, park1_line) << text;
    // A stdcall function's decorated name is shown as the debug information stores it.
    EXPECT_NE(trace[park2 + 2].Function.find("ParkedThread"), std::string::npos) << text;
    std::printf("%s\n", text.c_str());
}

// The traces of a session share the code they read, never the stack: a deeper trace after a
// shallow one sees the frames that lie where the shallow one's were, and each trace reads as
// it would without the session.
TEST(StackTraceWin32, TracesOfASessionSeeTheStackAsItIsNow) {
    TraceSession session;
    std::string texts[2][2];
    for (int pass = 0; pass < 2; ++pass) {
        level3_session = pass == 0 ? &session : nullptr;
        TStackTrace shallow, deep;
        TTraced::Level3(shallow, texts[pass][0]);
        TTraced::Level1(deep, texts[pass][1]);
        EXPECT_EQ(Find(shallow, "TTraced.Level2"), -1) << texts[pass][0];
        ASSERT_EQ(Find(deep, "TTraced.Level2"), 1) << texts[pass][1];
        EXPECT_EQ(deep[1].AbsoluteLine, level2_line);
        EXPECT_EQ(Find(deep, "TTraced.Level1"), 2) << texts[pass][1];
    }
    level3_session = nullptr;
    EXPECT_EQ(texts[0][0], texts[1][0]);
    EXPECT_EQ(texts[0][1], texts[1][1]);
}

TEST(StackTraceWin32, ThreadThatCannotBeReadGivesNothing) {
    TraceStackOptions o;
    EXPECT_EQ(TraceThreadStack(nullptr, o), "");
}

TEST(StackTraceWin32, FormatsAnAddressOfThisProgram) {
    const std::string line = FormatCodeAddress(static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(&TTraced::Level1)) + 1,
                                               true, true);
    EXPECT_NE(line.find(" +1 stack_win32_tests.exe StackTraceWin32Test "), std::string::npos) << line;
    EXPECT_NE(line.find(" TTraced.Level1"), std::string::npos) << line;
    EXPECT_TRUE(LooksLikeReturnAddress(static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(__builtin_return_address(0)))));
}

}  // namespace
}  // namespace roadsum
