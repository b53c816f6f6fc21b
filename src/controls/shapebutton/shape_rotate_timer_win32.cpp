#include "controls/shapebutton/shape_rotate_timer_win32.h"

namespace roadsum {

TShapeRotateTimer::TShapeRotateTimer(HWND target, int interval) : target_(target), interval_(interval) {}

TShapeRotateTimer::~TShapeRotateTimer() { Stop(); }

void TShapeRotateTimer::SetRotating(bool value) {
    if (value == rotating_) return;
    rotating_ = value;
    if (value) {
        wake_.Reset();
        run_.Set();
        Resume();
    } else {
        run_.Reset();
        wake_.Set();
    }
}

void TShapeRotateTimer::Terminate() {
    TThread::Terminate();
    run_.Set();
    wake_.Set();
}

void TShapeRotateTimer::Execute() {
    while (!Terminated()) {
        run_.Wait(INFINITE);
        if (Terminated()) break;
        const int interval = interval_;
        // Woken early: rotating stopped (or stopped and started again), so start over.
        if (wake_.Wait(interval < 0 ? 0 : static_cast<DWORD>(interval))) continue;
        if (Terminated()) break;
        // Marked before rotating_ is read, so that whoever clears rotating_ and then sees no
        // step under way knows that none will come.
        stepping_ = true;
        if (rotating_) SendMessageA(target_, CM_ROTATESTEP, 0, 0);
        stepping_ = false;
    }
}

}  // namespace roadsum
