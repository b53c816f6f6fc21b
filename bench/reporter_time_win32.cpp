// The time from a fault to its complete report with the whole reporter, under Wine or on
// Windows: a process of ten threads (nine workers recurse to their own depth and wait) runs a
// while, as a program does before it fails, then its main thread writes to address 0. The
// reporter hands the fault to its handling thread, which starts the report's completion in the
// background; a handler of the phase "showing" waits for the report to become complete and notes
// the time. Each run is a process of its own, as a real fault is: the caches start empty.
//
// Usage: reporter_time_win32.exe [IDLE_MS]   (default 500: the time the program runs first)
// Prints "fault to complete report N ms".
#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "crash/reporter/reporter_win32.h"

namespace {

constexpr int kWorkers = 9;
volatile int sink;
HANDLE release_event;
volatile LONG ready;
double fault_time;

double now_ms() {
    LARGE_INTEGER counter, frequency;
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

struct TWorker {
    static int Descend(int depth);
    static DWORD WINAPI Run(void* depth);
    static void Fault(volatile int* target);
};

__attribute__((noinline)) int TWorker::Descend(int depth) {
    if (depth == 0) {
        InterlockedIncrement(&ready);
        return static_cast<int>(WaitForSingleObject(release_event, INFINITE));
    }
    const int r = Descend(depth - 1);
    sink = r;
    return r + 1;
}

DWORD WINAPI TWorker::Run(void* depth) { return static_cast<DWORD>(Descend(static_cast<int>(reinterpret_cast<INT_PTR>(depth)))); }

__attribute__((noinline)) void TWorker::Fault(volatile int* target) { *target = sink; }

}  // namespace

int main(int argc, char** argv) {
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    roadsum::StartReporter();
    roadsum::ExceptionHandlers().RegisterProcedure(
        roadsum::heException,
        [](roadsum::INXException* report, int, bool&) {
            if (report->Phase() != roadsum::rpShowing) return;
            const bool complete = report->WaitComplete(60000);
            std::printf("fault to complete report %.1f ms%s\n", now_ms() - fault_time, complete ? "" : " (incomplete)");
            std::fflush(stdout);
            ExitProcess(complete ? 0 : 1);
        },
        roadsum::tmHandlingThread);
    release_event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    for (int i = 0; i < kWorkers; ++i)
        CloseHandle(CreateThread(nullptr, 0, TWorker::Run, reinterpret_cast<void*>(static_cast<INT_PTR>(5 + 3 * i)), 0, nullptr));
    while (ready < kWorkers) Sleep(1);
    Sleep(argc > 1 ? static_cast<DWORD>(std::atoi(argv[1])) : 500);
    fault_time = now_ms();
    TWorker::Fault(nullptr);
    return 2;
}
