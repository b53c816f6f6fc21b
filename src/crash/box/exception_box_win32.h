// The exception box on the bare window API, in the reporter's handling thread: the full box,
// the simple box and the assistant-only kind, and the please-wait window of a report completed
// in the foreground.
#pragma once

#include <cstdint>
#include <memory>

#include "crash/capture/capture_win32.h"
#include "crash/report/report_completion.h"

namespace roadsum {

// Private messages of the box window.
inline constexpr unsigned kBoxRefreshMessage = 0x0400 + 777;  // 1801: the report changed
inline constexpr unsigned kBoxDetailsMessage = kBoxRefreshMessage + 1;  // 1802: open the details
inline constexpr unsigned kBoxCloseMessage = kBoxRefreshMessage + 2;    // 1803: close the box
inline constexpr unsigned kBoxTimerId = 777;
inline constexpr const char* kBoxWindowClass = "noxExceptWndClass";

class TExceptionBox final : public IExceptionBox {
public:
    TBoxChoice Show(TCrashException& report, THandlingFlow& flow) override;
    // The thread's first window costs most (under Wine its own display connection): one made
    // and destroyed before any failure leaves the box only its own work.
    void Prepare() override;
};

// Shows the full or simple box for the report (kinds 0, 2 and 3) and waits for the choice;
// the automatic rules read the exception times.
TBoxChoice ShowExceptionBox(TCrashException& report, int box_kind, const TExceptionTimeRing& times);

// The please-wait window of a report completed in the foreground.
std::unique_ptr<ReportProgress> NewPleaseWaitWindow(const INXSettings& settings);

// Registers the exception box with capture and the please-wait window with the report.
void InstallExceptionBox();

// The box window of this process while one is open (null otherwise), for tests and tools.
void* OpenExceptionBoxWindow();

}  // namespace roadsum
