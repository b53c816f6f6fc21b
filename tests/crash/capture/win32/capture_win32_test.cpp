// Capture in a live process, alone (the report room is not installed; the whole reporter is
// tested with the reporter room): it runs in this test program (started from the main thread
// before the tests), hidden exceptions and thread names reach it, handlers run in the thread
// they ask for, the program's threads wait at their message reads while paused, and a failure
// is handled by the rules without a report to wait for.
#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <stdexcept>
#include <string>
#include <vector>

#include "crash/capture/capture_internal_win32.h"
#include "runtime/exceptions.h"

namespace roadsum {
namespace {

class ReporterEnvironment : public ::testing::Environment {
public:
    void SetUp() override { StartCrashReporter(); }
    void TearDown() override { ShutdownCrashReporter(); }
};
const auto* const g_environment = ::testing::AddGlobalTestEnvironment(new ReporterEnvironment);

// Runs a function in a thread made through the system call (and so through the hooks) and
// waits for it; the calling thread dispatches its messages meanwhile when asked to.
DWORD WINAPI RunBody(void* body) {
    reinterpret_cast<void (*)()>(body)();
    return 0;
}

void RunInThread(void (*body)(), bool pump) {
    HANDLE thread = CreateThread(nullptr, 0, RunBody, reinterpret_cast<void*>(body), 0, nullptr);
    ASSERT_NE(thread, nullptr);
    for (;;) {
        const DWORD r = pump ? MsgWaitForMultipleObjects(1, &thread, FALSE, 20000, QS_ALLINPUT)
                             : WaitForSingleObject(thread, 20000);
        if (r != WAIT_OBJECT_0 + 1) break;
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    }
    CloseHandle(thread);
}

// What handlers saw: one line each.
std::mutex g_lock;
std::vector<std::string> g_seen;
void Seen(const std::string& line) {
    std::lock_guard guard(g_lock);
    g_seen.push_back(line);
}
std::vector<std::string> TakeSeen() {
    std::lock_guard guard(g_lock);
    return std::exchange(g_seen, {});
}

TEST(CaptureWin32, HiddenExceptionsReachTheirHandlersOnlyWhenTheProgramHandledThemItself) {
    const int id = ExceptionHandlers().RegisterProcedure(
        heHiddenException,
        [](INXException* r, int, bool&) {
            Seen(r->ExceptClass() + ": " + r->ExceptMessage() + (r->Kind() == ekHidden ? " (hidden)" : ""));
        },
        tmHandlingThread);
    TakeSeen();
    try {
        throw EConvertError("'a' is not a valid integer value");
    } catch (const Exception&) {
    }
    try {
        throw EConvertError("");  // no message: not told
    } catch (const Exception&) {
    }
    try {
        try {
            throw std::out_of_range("rethrown once");
        } catch (...) {
            throw;
        }
    } catch (const std::exception&) {
    }
    try {
        throw EMathError("reported, so not hidden");
    } catch (...) {
        HandleCppException(std::current_exception(), esProgram, true);
    }
    EXPECT_EQ(TakeSeen(), (std::vector<std::string>{"EConvertError: 'a' is not a valid integer value (hidden)",
                                                     "std::out_of_range: rethrown once (hidden)"}));
    ExceptionHandlers().Unregister(id);
    try {
        throw EConvertError("nobody listens");
    } catch (const Exception&) {
    }
    EXPECT_TRUE(TakeSeen().empty());
}

TEST(CaptureWin32, TheThreadNamingExceptionNamesAThreadAndReturns) {
    const auto name = [](const char* text, DWORD thread) {
        const ULONG_PTR info[4] = {0x1000, reinterpret_cast<ULONG_PTR>(text), thread, 0};
        RaiseException(0x406D1388, 0, 4, info);
    };
    name("capture test thread", static_cast<DWORD>(-1));
    name("a thread named by another", 0x7FFF0001);
    ASSERT_TRUE(FindThreadName(GetCurrentThreadId()));
    EXPECT_EQ(FindThreadName(GetCurrentThreadId())->Name, "capture test thread");
    ASSERT_TRUE(FindThreadName(0x7FFF0001));
    EXPECT_EQ(FindThreadName(0x7FFF0001)->Name, "a thread named by another");
    name(reinterpret_cast<const char*>(0x10), 0x7FFF0002);  // a name nobody can read
    ASSERT_TRUE(FindThreadName(0x7FFF0002));
    EXPECT_EQ(FindThreadName(0x7FFF0002)->Name, "");
    SetThreadName(GetCurrentThreadId(), kMainThreadName);
}

DWORD g_main_thread = GetCurrentThreadId();  // the thread that runs the tests made this

TEST(CaptureWin32, HandlersRunInTheThreadTheyAskFor) {
    const auto where = [](const char* who) {
        const DWORD self = GetCurrentThreadId();
        Seen(std::string(who) + (self == g_main_thread ? " in the main thread"
                                 : self == capture::HandlingThreadId() ? " in the handling thread"
                                                                        : " elsewhere"));
    };
    static decltype(where)* at = &where;
    const int a = ExceptionHandlers().RegisterProcedure(
        heException, [](INXException* r, int, bool&) { if (r->Phase() == rpCreated) (*at)("mode 0"); }, tmHandlingThread);
    const int b = ExceptionHandlers().RegisterProcedure(
        heException, [](INXException* r, int, bool&) { if (r->Phase() == rpCreated) (*at)("mode 1"); }, tmMainThread);
    const int c = ExceptionHandlers().RegisterProcedure(
        heException, [](INXException* r, int, bool&) { if (r->Phase() == rpCreated) (*at)("mode 2"); },
        tmMainThreadOrHandlingThread);
    TakeSeen();
    RunInThread([] { ReportException(); }, true);
    EXPECT_EQ(TakeSeen(), (std::vector<std::string>{"mode 0 in the handling thread", "mode 1 in the main thread",
                                                     "mode 2 in the main thread"}))
        << "the main thread reads its messages: it answers the probe and runs its handlers";
    RunInThread([] { ReportException(); }, false);
    EXPECT_EQ(TakeSeen(), (std::vector<std::string>{"mode 0 in the handling thread", "mode 2 in the handling thread"}))
        << "a main thread that does not answer within 1.5 s leaves mode 2 to the handling thread";
    ReportException();
    EXPECT_EQ(TakeSeen(), (std::vector<std::string>{"mode 0 in the handling thread", "mode 1 in the main thread",
                                                     "mode 2 in the main thread"}))
        << "the failing main thread dispatches its messages while it waits";
    for (int id : {a, b, c}) ExceptionHandlers().Unregister(id);
}

std::atomic<bool> g_handler_done{false};

TEST(CaptureWin32, AQuitMessageEndsTheMainThreadsWaitAndIsPostedAgain) {
    const int id = ExceptionHandlers().RegisterProcedure(
        heException,
        [](INXException* r, int, bool&) {
            if (r->Phase() != rpCreated) return;
            PostThreadMessageA(g_main_thread, WM_QUIT, 7, 0);
            Sleep(500);
            g_handler_done = true;
        },
        tmHandlingThread);
    ReportException();
    EXPECT_FALSE(g_handler_done) << "the wait ended before the handling did";
    MSG msg{};
    EXPECT_TRUE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
    EXPECT_EQ(msg.wParam, 7u);
    for (int i = 0; i < 100 && !g_handler_done; ++i) Sleep(20);
    EXPECT_TRUE(g_handler_done) << "the handling went on to its end";
    ExceptionHandlers().Unregister(id);
}

std::atomic<int> g_reads{0};
std::atomic<bool> g_stop{false};

DWORD WINAPI ReadMessages(void*) {
    while (!g_stop) {
        MSG msg;
        PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE);
        ++g_reads;
        Sleep(1);
    }
    return 0;
}

TEST(CaptureWin32, PausedThreadsWaitAtTheirNextMessageRead) {
    HANDLE reader = CreateThread(nullptr, 0, ReadMessages, nullptr, 0, nullptr);
    ASSERT_NE(reader, nullptr);
    while (g_reads < 5) Sleep(1);
    capture::PauseProgramThreads(0);
    Sleep(50);
    const int paused_at = g_reads;
    Sleep(200);
    EXPECT_LE(g_reads - paused_at, 1) << "the thread waits in its message read";
    capture::ResumeProgramThreads();
    const int resumed_at = g_reads;
    while (g_reads < resumed_at + 5) Sleep(1);
    g_stop = true;
    EXPECT_EQ(WaitForSingleObject(reader, 5000), WAIT_OBJECT_0);
    CloseHandle(reader);
}

struct TThrower {
    __attribute__((noinline)) static void Throw() { throw EConvertError("thrown here"); }
};

TEST(CaptureWin32, TheRaiseAddressOfTheExceptionBeingHandledLiesInTheFunctionThatThrew) {
    EXPECT_EQ(CaughtExceptionRaiseAddress(), 0u) << "no exception is being handled";
    std::uint32_t raised = 0;
    try {
        TThrower::Throw();
    } catch (...) {
        raised = CaughtExceptionRaiseAddress();
    }
    const auto start = static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(&TThrower::Throw));
    EXPECT_GT(raised, start);
    EXPECT_LT(raised, start + 0x200) << std::hex << raised << " of a function at " << start;
    EXPECT_EQ(CaughtExceptionRaiseAddress(), 0u);
}

TEST(CaptureWin32, WithoutTheReportRoomAReportIsCompleteAtOnceAndTheRulesDecide) {
    // This program starts capture alone: nothing fills a report in, and nothing waits for it.
    TReportParams p;
    p.Exception.ClassChain = {"EConvertError", "Exception"};
    p.Exception.Message = "asked for";
    const DWORD start = GetTickCount();
    const Ref<INXException> report = CreateReport(p, nullptr, true);
    ASSERT_TRUE(report);
    EXPECT_TRUE(report->WaitComplete(0));
    EXPECT_EQ(report->ExceptClass(), "EConvertError");
    RunInThread([] { ReportException(std::make_exception_ptr(EConvertError("handled by the rules"))); }, true);
    EXPECT_LT(GetTickCount() - start, 10000u) << "handled by the rules (continue) without waiting for a report";
}

std::string ClipboardText() {
    if (!OpenClipboard(nullptr)) return "(clipboard busy)";
    HANDLE data = GetClipboardData(CF_TEXT);
    const char* copied = data ? static_cast<const char*>(GlobalLock(data)) : nullptr;
    const std::string text = copied ? copied : "";
    if (data) GlobalUnlock(data);
    CloseClipboard();
    return text;
}

// AutoSend and AutoClip (switched on for the report by a handler) hand the complete report to
// the sender registered for it, once, and copy its text; without them neither happens.
TEST(CaptureWin32, AutoSendAndAutoClipTakeTheCompleteReport) {
    static std::atomic<int> sends{0};
    static std::atomic<bool> complete_when_sent{false};
    SetAutomaticSender([](TCrashException& report) {
        complete_when_sent = report.Complete();
        ++sends;
    });
    static std::atomic<bool> auto_send{true};
    const int id = ExceptionHandlers().RegisterProcedure(
        heException,
        [](INXException* r, int, bool&) {
            if (r->Phase() != rpCreated) return;
            r->Set(keys::AutoSend, auto_send.load());
            r->Set(keys::AutoClip, auto_send.load());
            static int reports = 0;
            r->Fields()->Add("clipped", "report " + std::to_string(++reports));
        },
        tmHandlingThread);
    RunInThread([] { ReportException(); }, true);
    for (int wait = 0; wait < 500 && sends == 0; ++wait) Sleep(20);
    EXPECT_EQ(sends, 1);
    EXPECT_TRUE(complete_when_sent);
    const std::string first = ClipboardText();
    EXPECT_NE(first.find("clipped"), std::string::npos) << first;
    auto_send = false;
    RunInThread([] { ReportException(); }, true);
    Sleep(500);
    EXPECT_EQ(sends, 1) << "not without AutoSend";
    EXPECT_EQ(ClipboardText(), first) << "not without AutoClip";
    ExceptionHandlers().Unregister(id);
    SetAutomaticSender(nullptr);
}

}  // namespace
}  // namespace roadsum
