// Outcome: with CheckFreeze on and a FreezeTimeout of one second, a block of the main thread
// shorter than that is not reported; a long one is, and while it goes on it is reported again
// after 1.5 times the wait (the watchdog asks every 100 ms, then every 150, then every 225).
// Once the main thread answers again the watchdog asks every 100 ms as before.
// expect-exit: 0
// expect-line: reports after the short block: 0
// expect-line: freeze reported; the watchdog now waits 150 ms
// expect-line: The application seems to be frozen.
// expect-line: exception message: The application seems to be frozen.
// expect-line: main thread (
// expect-line: TFault.Freeze
// expect-line: freeze reported; the watchdog now waits 225 ms
// expect-line: after the freeze the watchdog waits 100 ms
// timeout: 60
#include <atomic>

#include "fault_program.h"

using namespace roadsum;

std::atomic<int> g_reports{0};

struct TFault {
    // Reads its messages for a while: the main thread answers the watchdog.
    static void Live(DWORD milliseconds) {
        const DWORD end = GetTickCount() + milliseconds;
        while (GetTickCount() < end) {
            MSG msg;
            while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
            Sleep(10);
        }
    }
    __attribute__((noinline)) static void Freeze(DWORD milliseconds) { Sleep(milliseconds); }
};

int main() {
    faults::Start();
    ExceptionHandlers().RegisterProcedure(
        heException,
        [](INXException* report, int, bool&) {
            if (report->Phase() != rpCreated || report->Kind() != ekFrozen) return;
            ++g_reports;
            faults::Say("freeze reported; the watchdog now waits " + std::to_string(FreezeWatchInterval()) + " ms");
        },
        tmHandlingThread);
    TFault::Live(1500);
    TFault::Freeze(400);
    TFault::Live(1500);
    faults::Say("reports after the short block: " + std::to_string(g_reports.load()));
    // Reports at 1 and 2.5 s, the next would come at 4.75 s: well apart from the freeze's end,
    // so that no report's trace finds the main thread already past it.
    TFault::Freeze(4000);
    TFault::Live(1000);
    faults::Say("after the freeze the watchdog waits " + std::to_string(FreezeWatchInterval()) + " ms");
    return 0;
}
