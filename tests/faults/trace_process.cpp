// Outcome: another process (the runner) calls the exported noxTraceProcess in a thread it
// starts in this one. The shared memory it made receives a report of the whole process: every
// thread, the reporter's own included, with the names they were given (here one through the
// system's thread-naming exception).
// mode: trace-from-outside
// expect-exit: 0
// expect-line: noxTraceProcess at
// expect-line: trace: exception message: The application seems to be frozen.
// expect-line: trace: main thread (
// expect-line: TFault.WaitForQuit
// expect-line: trace: - (
// expect-line: trace: counting worker (
// expect-line: trace: >> created by main thread (
// expect-line: noxTraceProcess
// expect-line: quit
#include <cstdio>
#include <iostream>
#include <string>

#include "fault_program.h"

using namespace roadsum;

HANDLE g_stop = CreateEventA(nullptr, TRUE, FALSE, nullptr);

// The system's way of naming a thread: an exception that a debugger or a reporter reads.
void NameThisThread(const char* name) {
    const ULONG_PTR info[4] = {0x1000, reinterpret_cast<ULONG_PTR>(name), static_cast<ULONG_PTR>(-1), 0};
    RaiseException(0x406D1388, 0, 4, info);
}

struct TFault {
    __attribute__((noinline)) static DWORD WINAPI Worker(void*) {
        NameThisThread("counting worker");
        WaitForSingleObject(g_stop, INFINITE);
        return 0;
    }
    __attribute__((noinline)) static std::string WaitForQuit() {
        std::string line;
        std::getline(std::cin, line);
        return line;
    }
};

int main() {
    faults::Start();
    HANDLE worker = CreateThread(nullptr, 0, TFault::Worker, nullptr, 0, nullptr);
    char address[64];
    std::snprintf(address, sizeof address, "noxTraceProcess at %08X",
                  static_cast<unsigned>(reinterpret_cast<std::uintptr_t>(&noxTraceProcess)));
    faults::Say(address);
    faults::Say(TFault::WaitForQuit());
    SetEvent(g_stop);
    WaitForSingleObject(worker, INFINITE);
    return 0;
}
