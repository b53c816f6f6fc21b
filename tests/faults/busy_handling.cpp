// Outcome: a second thread fails while the handling thread is still busy with the first
// failure. Its request waits in the pipe and is handled when the first is done.
// expect-exit: 0
// expect-line: handler: first report begins
// expect-line: second thread: failing now
// expect-line: handler: first report ends
// expect-line: handler: second report begins
// expect-line: both threads ended
// expect-count: 2 An error occurred in the application.
#include "fault_program.h"
#include "runtime/exceptions.h"

using namespace roadsum;

HANDLE g_second_may_fail = CreateEventA(nullptr, TRUE, FALSE, nullptr);
HANDLE g_second_failing = CreateEventA(nullptr, TRUE, FALSE, nullptr);

struct TFault {
    __attribute__((noinline)) static DWORD WINAPI First(void*) { throw EConvertError("first"); }
    __attribute__((noinline)) static DWORD WINAPI Second(void*) {
        WaitForSingleObject(g_second_may_fail, INFINITE);
        faults::Say("second thread: failing now");
        SetEvent(g_second_failing);
        throw EConvertError("second");
    }
};

int main() {
    faults::Start();
    ExceptionHandlers().RegisterProcedure(
        heException,
        [](INXException* report, int, bool&) {
            if (report->Phase() != rpCreated) return;
            if (report->ExceptMessage() == "first") {
                faults::Say("handler: first report begins");
                SetEvent(g_second_may_fail);
                WaitForSingleObject(g_second_failing, 5000);
                Sleep(300);  // the second request is in the pipe by now
                faults::Say("handler: first report ends");
            } else {
                faults::Say("handler: second report begins");
            }
        },
        tmHandlingThread);
    HANDLE second = CreateThread(nullptr, 0, TFault::Second, nullptr, 0, nullptr);
    HANDLE first = CreateThread(nullptr, 0, TFault::First, nullptr, 0, nullptr);
    HANDLE both[] = {first, second};
    WaitForMultipleObjects(2, both, TRUE, INFINITE);
    CloseHandle(first);
    CloseHandle(second);
    faults::Say("both threads ended");
    return 0;
}
