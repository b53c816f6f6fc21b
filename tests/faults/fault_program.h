// What every fault program shares: the reporter started first, unbuffered output (a program
// that the reporter ends keeps every line it wrote), and small helpers.
#pragma once

#include <windows.h>

#include <cstdio>
#include <string>

#include "app/crash_wiring.h"
#include "crash/capture/capture_win32.h"

namespace roadsum::faults {

inline void Start() {
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    StartCrashReporting();
}

inline void Say(const std::string& line) { std::printf("%s\n", line.c_str()); }

// Keeps the compiler from folding the faults away.
inline volatile int g_sink = 0;

// Says, when a report starts, whether its handlers run in the given (failing) thread.
inline DWORD g_failing_thread = 0;
inline void SayWhereHandlersRun(DWORD failing_thread) {
    g_failing_thread = failing_thread;
    ExceptionHandlers().RegisterProcedure(
        heException,
        [](INXException* report, int, bool&) {
            if (report->Phase() != rpCreated) return;
            Say(GetCurrentThreadId() == g_failing_thread ? "handler: in the failing thread"
                                                         : "handler: in another thread");
        },
        tmHandlingThread);
}

}  // namespace roadsum::faults
