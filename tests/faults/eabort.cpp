// Outcome: EAbort is silent: raised in the main thread and handled by the application's hook,
// or escaping a thread's function, it makes no report, and the program goes on.
// expect-exit: 0
// expect-line: main thread went on
// expect-line: the thread ended
// expect-none: An error occurred in the application.
// expect-none: EAbort
#include "fault_program.h"
#include "runtime/exceptions.h"
#include "toolkit/application.h"

struct TFault {
    __attribute__((noinline)) static DWORD WINAPI ThreadMain(void*) { throw roadsum::EAbort("Operation aborted"); }
};

int main() {
    roadsum::faults::Start();
    roadsum::TApplication application;
    roadsum::WireApplication(application);
    try {
        throw roadsum::EAbort("Operation aborted");
    } catch (...) {
        application.HandleException(std::current_exception());
    }
    roadsum::faults::Say("main thread went on");
    HANDLE thread = CreateThread(nullptr, 0, TFault::ThreadMain, nullptr, 0, nullptr);
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
    roadsum::faults::Say("the thread ended");
    return 0;
}
