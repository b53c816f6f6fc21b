// The worker that turns a shaped button continuously: while rotating, it sleeps Interval
// milliseconds and then sends the button CM_ROTATESTEP, waiting until the window's thread
// has handled it. It touches nothing of the button; every step runs on the window's thread.
#pragma once

#include <windows.h>

#include <atomic>

#include "toolkit/control.h"
#include "toolkit/thread.h"

namespace roadsum {

// The private messages of the shaped button.
constexpr UINT CM_ANIMATIONDONE = CM_BASE + 101;
constexpr UINT CM_ROTATESTEP = CM_BASE + 105;
static_assert(CM_ANIMATIONDONE == 0xB065 && CM_ROTATESTEP == 0xB069);

class TShapeRotateTimer final : public TThread {
public:
    // Created suspended; `target` is fixed before the thread first runs.
    TShapeRotateTimer(HWND target, int interval);
    ~TShapeRotateTimer() override;

    HWND Target() const { return target_; }
    int Interval() const { return interval_; }
    // Taken from the next sleep on.
    void SetInterval(int milliseconds) { interval_ = milliseconds; }

    // Pausing waits on a signal rather than suspending the thread, which could stop it
    // holding a lock that the window's thread needs. A step already under way is finished.
    bool Rotating() const { return rotating_; }
    void SetRotating(bool value);

    // True while a step has been decided on and not yet handled by the window's thread.
    bool Stepping() const { return stepping_; }

    void Terminate() override;

protected:
    void Execute() override;

private:
    const HWND target_;
    std::atomic<int> interval_;
    std::atomic<bool> rotating_{false}, stepping_{false};
    TEvent run_{true};    // set while rotating or ending
    TEvent wake_{false};  // cuts a sleep short when rotating stops or the thread ends
};

}  // namespace roadsum
