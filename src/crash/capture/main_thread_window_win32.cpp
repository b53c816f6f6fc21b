// The reporter's hidden window in the main thread. Through it the freeze watchdog asks for a
// sign of life, and handlers that must run in the main thread are run there: a probe first,
// which a main thread that still reads its messages answers with 777 at once.
#include <atomic>

#include "crash/capture/capture_internal_win32.h"

namespace roadsum::capture {

namespace {

constexpr LRESULT kAnswer = 777;
constexpr UINT kProbeTimeout = 1500;
constexpr const char* kWindowClass = "noxExceptMainThreadWnd";

UINT registered(const char* name, UINT fallback) {
    const UINT message = RegisterWindowMessageA(name);
    return message ? message : fallback;
}

// Registered when first used: start-up may run before this file's statics are made.
UINT probe_message() {
    static const UINT message = registered("noxExceptProbe", WM_APP + 0x3A1);
    return message;
}
UINT run_pass_message() {
    static const UINT message = registered("noxExceptRunHandlers", WM_APP + 0x3A2);
    return message;
}

HWND g_window = nullptr;
std::atomic<bool> g_running_handlers{false};

LRESULT CALLBACK window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WatchdogMessage()) {
        // The watchdog reads its answer from its own queue.
        PostThreadMessageA(static_cast<DWORD>(wparam), WM_NULL, kAnswer, kAnswer);
        return kAnswer;
    }
    if (message == probe_message()) return kAnswer;
    if (message == run_pass_message()) {
        const auto* pass = reinterpret_cast<const std::function<void()>*>(lparam);
        g_running_handlers = true;
        try {
            ReporterWork inside;
            (*pass)();
        } catch (...) {
        }
        g_running_handlers = false;
        return 1;
    }
    return DefWindowProcA(window, message, wparam, lparam);
}

class WindowCaller final : public TMainThreadCaller {
public:
    bool Probe() override {
        DWORD_PTR answer = 0;
        if (!g_window) return false;
        return SendMessageTimeoutA(g_window, probe_message(), 0, 0, SMTO_NORMAL, kProbeTimeout, &answer) &&
               answer == static_cast<DWORD_PTR>(kAnswer);
    }
    bool Run(const std::function<void()>& pass) override {
        if (!g_window) return false;
        return SendMessageA(g_window, run_pass_message(), 0, reinterpret_cast<LPARAM>(&pass)) == 1;
    }
};

}  // namespace

UINT WatchdogMessage() {
    static const UINT message = registered("noxExceptWatchdog", WM_APP + 0x3A0);
    return message;
}

bool CreateMainThreadWindow() {
    if (g_window) return true;
    WNDCLASSA wc{};
    wc.lpfnWndProc = window_proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = kWindowClass;
    RegisterClassA(&wc);
    // A message-only window: never shown, never enumerated with the program's windows.
    g_window = CreateWindowExA(0, kWindowClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
    return g_window != nullptr;
}

void DestroyMainThreadWindow() {
    if (!g_window) return;
    // Only the thread that made a window can destroy it; elsewhere it goes with the process.
    if (GetWindowThreadProcessId(g_window, nullptr) == GetCurrentThreadId()) DestroyWindow(g_window);
    g_window = nullptr;
}

HWND MainThreadWindow() { return g_window; }

TMainThreadCaller& MainThreadCaller() {
    static WindowCaller caller;
    return caller;
}

bool MainThreadRunsHandlers() { return g_running_handlers; }

}  // namespace roadsum::capture
