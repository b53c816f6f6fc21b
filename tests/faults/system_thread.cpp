// Outcome: a thread made with the system's thread creation raises a C++ exception that escapes
// its function. The reporter's frame around every thread function reports it, with the thread
// that created it; the program goes on without the thread.
// expect-exit: 0
// expect-line: An error occurred in the application.
// expect-line: exception class  : std::out_of_range
// expect-line: TFault.Fail
// expect-line: >> created by main thread (
// expect-line: main thread went on
#include <vector>

#include "fault_program.h"

struct TFault {
    __attribute__((noinline)) static void Fail() {
        std::vector<int> three(3);
        roadsum::faults::g_sink = three.at(7);
    }
    static DWORD WINAPI ThreadMain(void*) {
        Fail();
        return 0;
    }
};

int main() {
    roadsum::faults::Start();
    HANDLE thread = CreateThread(nullptr, 0, TFault::ThreadMain, nullptr, 0, nullptr);
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
    roadsum::faults::Say("main thread went on");
    return 0;
}
