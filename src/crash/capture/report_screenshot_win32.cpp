#include "crash/capture/report_screenshot.h"

#include <memory>

#include "crash/capture/crash_exception.h"
#include "crash/picture/bitmap.h"
#include "crash/picture/screenshot_win32.h"

namespace roadsum {

void TakeReportScreenshot(TCrashException& report) {
    const int depth = report.Get(keys::ScrShotDepth);
    if (depth <= 0) return;
    const std::shared_ptr<INVBitmap> shot = TakeScreenshot(report.Get(keys::ScrShotAppOnly));
    if (!shot) return;
    if (depth >= 24) {
        report.SetScreenshot(shot);
        return;
    }
    report.SetScreenshot(std::make_shared<TINVBitmap>(ReduceColourDepth(shot->Pixels(), depth)));
}

}  // namespace roadsum
