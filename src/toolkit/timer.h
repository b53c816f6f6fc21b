// A window timer of the thread that creates it, calling OnTimer at its interval.
#pragma once

#include <windows.h>

#include "toolkit/control.h"

namespace roadsum {

class TTimer : public TObject {
public:
    TTimer();
    TTimer(const TTimer&) = delete;
    TTimer& operator=(const TTimer&) = delete;
    ~TTimer() override;

    UINT Interval() const { return interval_; }
    void SetInterval(UINT milliseconds);  // restarts a running timer
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);

    TNotifyEvent OnTimer;

    // The window that receives the timer's WM_TIMER with Id(); tests send it ticks.
    HWND WindowHandle() const { return window_; }
    static constexpr UINT_PTR Id() { return 1; }

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
    void Update();

    HWND window_ = nullptr;
    UINT interval_ = 1000;
    bool enabled_ = true;
};

}  // namespace roadsum
