// The time from a failure to the visible exception box, under Wine or on Windows: the program
// runs the reporter with the box installed and raises an EConvertError that it hands to the
// reporter as a hook would; a watcher thread sees the box window become visible and closes it
// again. The report completes in the background meanwhile: the box must not wait for it.
// Prints, in milliseconds from the raise, for a first and a second failure: the box visible,
// the box about to open (handlers' phase 3), the handling done.
// Each run is a process of its own, as a real failure is.
//
// Usage: box_time_win32.exe   (one line per run)
#include <windows.h>

#include <atomic>
#include <cstdio>

#include "crash/box/exception_box_win32.h"
#include "runtime/exceptions.h"

namespace {

double now_ms() {
    LARGE_INTEGER counter, frequency;
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

std::atomic<double> visible_at{0};
double box_opens = 0;

DWORD WINAPI watch_box(void*) {
    for (;;) {
        const HWND box = static_cast<HWND>(roadsum::OpenExceptionBoxWindow());
        if (box && IsWindowVisible(box)) {
            visible_at = now_ms();
            PostMessageA(box, 0, 777, 777);  // closes the box; the rules continue
            return 0;
        }
        Sleep(1);  // a busy poll would keep the wineserver and a core from the box
    }
}

}  // namespace

int main() {
    roadsum::InstallExceptionBox();
    roadsum::StartCrashReporter();
    // The program's own window is up before anything fails, as Roadsum's is.
    const HWND main_window = CreateWindowExA(0, "Static", "box timing", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 300, 200,
                                             nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    for (MSG m; PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE);) DispatchMessageA(&m);
    roadsum::ExceptionHandlers().RegisterProcedure(
        roadsum::heException,
        [](roadsum::INXException* r, int, bool&) {
            if (r->Phase() == roadsum::rpShowing) box_opens = now_ms();
        },
        roadsum::tmHandlingThread);
    // The first failure meets a handling thread that has shown no window yet; the second one
    // finds it warm.
    bool shown = true;
    for (const char* which : {"first", "second"}) {
        visible_at = 0;
        CloseHandle(CreateThread(nullptr, 0, watch_box, nullptr, 0, nullptr));
        const double start = now_ms();
        try {
            throw roadsum::EConvertError("'12a' is not a valid floating point value");
        } catch (...) {
            roadsum::HandleCppException(std::current_exception(), roadsum::esAppHandleException, true);
        }
        const double end = now_ms();
        std::printf("%s failure: box visible %.1f ms (box opens at %.1f), handling done %.1f ms\n", which,
                    visible_at.load() - start, box_opens - start, end - start);
        std::fflush(stdout);
        shown = shown && visible_at.load() > 0;
    }
    DestroyWindow(main_window);
    roadsum::ShutdownCrashReporter();
    return shown ? 0 : 1;
}
