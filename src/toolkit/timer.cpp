#include "toolkit/timer.h"

#include "toolkit/application.h"

namespace roadsum {

TTimer::TTimer() {
    static ATOM window_class = [] {
        WNDCLASSA wc{};
        wc.lpfnWndProc = WindowProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "TTimerWindow";
        return RegisterClassA(&wc);
    }();
    window_ = CreateWindowExA(0, MAKEINTATOM(window_class), "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                              GetModuleHandleA(nullptr), nullptr);
    SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    Update();
}

TTimer::~TTimer() {
    KillTimer(window_, Id());
    SetWindowLongPtrA(window_, GWLP_USERDATA, 0);
    DestroyWindow(window_);
}

void TTimer::SetInterval(UINT milliseconds) {
    if (milliseconds == interval_) return;
    interval_ = milliseconds;
    Update();
}

void TTimer::SetEnabled(bool enabled) {
    if (enabled == enabled_) return;
    enabled_ = enabled;
    Update();
}

void TTimer::Update() {
    KillTimer(window_, Id());
    if (enabled_ && interval_ > 0) SetTimer(window_, Id(), interval_, nullptr);
}

LRESULT CALLBACK TTimer::WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_TIMER && wparam == Id()) {
        auto* timer = reinterpret_cast<TTimer*>(GetWindowLongPtrA(window, GWLP_USERDATA));
        if (timer && timer->enabled_ && timer->OnTimer) {
            try {
                timer->OnTimer(timer);
            } catch (...) {
                if (TApplication* app = TApplication::Current()) app->HandleException(std::current_exception());
            }
        }
        return 0;
    }
    return DefWindowProcA(window, message, wparam, lparam);
}

}  // namespace roadsum
