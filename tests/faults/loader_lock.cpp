// Outcome: a thread fails while it holds the loader lock (as code in a library's start-up
// would). The handling thread could not load or query a module then, so the process counts as
// blocked and the failure is handled in the failing thread itself, report and all, without
// waiting for the reporter's threads that the held lock stops.
// timeout: 5
// expect-exit: 0
// expect-line: loader lock held
// expect-line: handler: in the failing thread
// expect-line: An error occurred in the application.
// expect-line: TFault.FailHoldingTheLock
// expect-line: main thread went on
#include "fault_program.h"
#include "runtime/exceptions.h"

using namespace roadsum;

using LockLoader = LONG(NTAPI*)(ULONG flags, ULONG* state, ULONG_PTR* cookie);
using UnlockLoader = LONG(NTAPI*)(ULONG flags, ULONG_PTR cookie);

struct TFault {
    __attribute__((noinline)) static void FailHoldingTheLock() {
        ReportException(std::make_exception_ptr(EConvertError("'l' is not a valid integer value")));
    }
};

int main() {
    faults::Start();
    faults::SayWhereHandlersRun(GetCurrentThreadId());
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    const auto lock = reinterpret_cast<LockLoader>(reinterpret_cast<void*>(GetProcAddress(ntdll, "LdrLockLoaderLock")));
    const auto unlock = reinterpret_cast<UnlockLoader>(reinterpret_cast<void*>(GetProcAddress(ntdll, "LdrUnlockLoaderLock")));
    ULONG_PTR cookie = 0;
    if (!lock || !unlock || lock(0, nullptr, &cookie) != 0) return 3;
    faults::Say("loader lock held");
    TFault::FailHoldingTheLock();
    unlock(0, cookie);
    faults::Say("main thread went on");
    return 0;
}
