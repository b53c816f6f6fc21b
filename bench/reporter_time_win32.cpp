// The time from a fault to its complete report with the whole reporter, under Wine or on
// Windows: a process of ten threads (nine workers recurse to their own depth and wait) runs a
// while, as a program does before it fails, then its main thread writes to address 0. The
// reporter hands the fault to its handling thread, which starts the report's completion in the
// background; a handler of the phase "showing" waits for the report to become complete and notes
// the time. Each run is a process of its own, as a real fault is: the caches start empty.
//
// Usage: reporter_time_win32.exe [IDLE_MS]   (default 500: the time the program runs first)
// Prints "fault to complete report N ms", with the times at which the handling thread had made
// the report object and had started the report (its header and placeholders made).
#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "crash/reporter/reporter_win32.h"

#include "ten_thread_process_win32.h"

namespace {

using roadsum::bench::now_ms;
using roadsum::bench::TWorker;

double fault_time, created_time, started_time;

}  // namespace

int main(int argc, char** argv) {
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    roadsum::StartReporter();
    roadsum::ExceptionHandlers().RegisterProcedure(
        roadsum::heException,
        [](roadsum::INXException* report, int, bool&) {
            if (report->Phase() == roadsum::rpCreated) created_time = now_ms();
            if (report->Phase() == roadsum::rpStarted) started_time = now_ms();
            if (report->Phase() != roadsum::rpShowing) return;
            const bool complete = report->WaitComplete(60000);
            std::printf("fault to complete report %.1f ms (handling starts %.1f, report started %.1f)%s\n",
                        now_ms() - fault_time, created_time - fault_time, started_time - fault_time,
                        complete ? "" : " (incomplete)");
            std::fflush(stdout);
            ExitProcess(complete ? 0 : 1);
        },
        roadsum::tmHandlingThread);
    TWorker::StartAll();
    Sleep(argc > 1 ? static_cast<DWORD>(std::atoi(argv[1])) : 500);
    fault_time = now_ms();
    TWorker::Fault(nullptr);
    return 2;
}
