#include "crash/reporter/debug_info_preload_win32.h"

#include <windows.h>

#include <atomic>

#include "crash/capture/capture_win32.h"
#include "crash/debuginfo/map_file_win32.h"

namespace roadsum {

namespace {

// Set once at start-up and never closed: a failure may ask about them at any time after.
std::atomic<HANDLE> g_done{nullptr};  // signalled when the read has ended
HANDLE g_thread = nullptr;

DWORD WINAPI preload(void*) {
    // Named as the reporter's own: reports leave it out.
    SetThreadName(GetCurrentThreadId(), kReporterThreadName);
    try {
        MapFileOfModule(reinterpret_cast<std::uintptr_t>(GetModuleHandleA(nullptr)));
    } catch (...) {
        // Unreadable debug information is read again, and fails again, when a report needs it.
    }
    // The event, not the thread's end: a thread ends only with the loader lock, which the
    // failing thread may hold.
    SetEvent(g_done.load());
    return 0;
}

}  // namespace

void StartDebugInfoPreload() {
    static std::atomic<bool> started{false};
    if (started.exchange(true)) return;
    const HANDLE done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (!done) return;
    g_thread = CreateThread(nullptr, 0, preload, nullptr, CREATE_SUSPENDED, nullptr);
    if (!g_thread) {
        CloseHandle(done);
        return;
    }
    SetThreadPriority(g_thread, THREAD_PRIORITY_LOWEST);
    g_done = done;
    ResumeThread(g_thread);
}

void WaitForDebugInfoPreload(std::uint32_t milliseconds) {
    const HANDLE done = g_done.load();
    if (!done || WaitForSingleObject(done, 0) == WAIT_OBJECT_0) return;
    // The failure waits for it now: it must not lag behind the program's busy threads.
    SetThreadPriority(g_thread, GetThreadPriority(GetCurrentThread()));
    WaitForSingleObject(done, milliseconds);
}

}  // namespace roadsum
