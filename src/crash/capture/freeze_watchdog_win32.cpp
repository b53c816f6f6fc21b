// The freeze watchdog: a thread of the reporter's own that asks the main thread's hidden window
// for a sign of life every interval and reports a freeze after ten unanswered questions.
#include <atomic>

#include "crash/capture/capture_internal_win32.h"
#include "crash/capture/freeze_watch.h"

namespace roadsum::capture {

namespace {

struct Watchdog {
    explicit Watchdog(std::int32_t timeout) : watch(timeout) {}
    TFreezeWatch watch;
    HANDLE thread = nullptr;
    DWORD thread_id = 0;
    HANDLE stop = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE resumed = CreateEventA(nullptr, TRUE, TRUE, nullptr);  // set while not paused
};

std::atomic<Watchdog*> g_watchdog{nullptr};

// True when the main thread answered within the interval; false when it did not or the
// watchdog is to stop.
bool ask(Watchdog& w, bool& stopping) {
    PostMessageA(MainThreadWindow(), WatchdogMessage(), w.thread_id, 0);
    stopping = WaitForSingleObject(w.stop, w.watch.Interval()) == WAIT_OBJECT_0;
    bool answered = false;
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        if (msg.hwnd == nullptr && msg.message == WM_NULL && msg.wParam == 777 && msg.lParam == 777) answered = true;
    return answered;
}

void run(Watchdog& w) {
    MSG msg;
    PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);  // the thread's queue, for the answers
    for (;;) {
        const HANDLE both[] = {w.stop, w.resumed};
        if (WaitForMultipleObjects(2, both, FALSE, INFINITE) == WAIT_OBJECT_0) return;
        bool stopping = false;
        const bool answered = ask(w, stopping);
        if (stopping) return;
        if (w.watch.Paused()) continue;
        if (answered) {
            w.watch.Answered();
        } else if (w.watch.Missed()) {
            THandleExceptionArgs args;
            args.Kind = ekFrozen;
            args.Source = esFreezeWatchdog;
            args.CanContinue = true;
            HandleException(args);
        }
    }
}

}  // namespace

void StartFreezeWatchdog(std::int32_t freeze_timeout) {
    if (g_watchdog || !MainThreadWindow()) return;
    auto* w = new Watchdog(freeze_timeout);
    g_watchdog = w;
    w->thread = StartReporterThread([w] { run(*w); }, THREAD_PRIORITY_HIGHEST, &w->thread_id);
    if (!w->thread) g_watchdog = nullptr;  // kept: a late pause may still reach it
}

void StopFreezeWatchdog(bool wait) {
    Watchdog* w = g_watchdog.exchange(nullptr);
    if (!w) return;
    SetEvent(w->stop);
    if (wait && w->thread && GetCurrentThreadId() != w->thread_id) WaitForSingleObject(w->thread, 2000);
    // The record and its events are never freed: a thread still reporting a freeze, or one
    // that read the watchdog just before this, may still use them (one small record per start).
}

void PauseFreezeWatchdog() {
    Watchdog* w = g_watchdog;
    if (!w || GetCurrentThreadId() == w->thread_id) return;
    w->watch.Pause();
    ResetEvent(w->resumed);
}

void ResumeFreezeWatchdog() {
    Watchdog* w = g_watchdog;
    if (!w || GetCurrentThreadId() == w->thread_id) return;
    w->watch.Resume();
    if (!w->watch.Paused()) SetEvent(w->resumed);
}

}  // namespace roadsum::capture

namespace roadsum {

std::uint32_t FreezeWatchInterval() {
    capture::Watchdog* w = capture::g_watchdog;
    return w ? w->watch.Interval() : 0;
}

}  // namespace roadsum
