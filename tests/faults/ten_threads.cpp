// Outcome: ten threads fail at the same moment. Their requests wait in the pipe and are
// handled one after the other in the order they arrived: ten reports, numbered 1 to 10, none
// lost; the program goes on.
// expect-exit: 0
// expect-count: 10 An error occurred in the application.
// expect-line: exception number : 1
// expect-line: exception number : 2
// expect-line: exception number : 3
// expect-line: exception number : 4
// expect-line: exception number : 5
// expect-line: exception number : 6
// expect-line: exception number : 7
// expect-line: exception number : 8
// expect-line: exception number : 9
// expect-line: exception number : 10
// expect-line: all ten threads ended
// timeout: 90
#include "fault_program.h"
#include "runtime/exceptions.h"

HANDLE g_go = CreateEventA(nullptr, TRUE, FALSE, nullptr);

struct TFault {
    __attribute__((noinline)) static DWORD WINAPI ThreadMain(void*) {
        WaitForSingleObject(g_go, INFINITE);
        throw roadsum::EConvertError("'t' is not a valid integer value");
    }
};

int main() {
    roadsum::faults::Start();
    HANDLE threads[10];
    for (HANDLE& t : threads) t = CreateThread(nullptr, 0, TFault::ThreadMain, nullptr, 0, nullptr);
    SetEvent(g_go);
    WaitForMultipleObjects(10, threads, TRUE, INFINITE);
    for (HANDLE t : threads) CloseHandle(t);
    roadsum::faults::Say("all ten threads ended");
    return 0;
}
