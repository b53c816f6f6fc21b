#include "crash/capture/report_screenshot.h"

#include <windows.h>

#include <memory>

#include "crash/capture/crash_exception.h"
#include "crash/picture/bitmap.h"
#include "crash/picture/screenshot_win32.h"

namespace roadsum {
namespace {

// The screenshot is what a report can best do without: it is left out unless the memory for
// it (the captured bitmap, its pixels and their reduced copy) and room for the report besides
// are there. A program that has run out of memory gets its report, not a picture.
constexpr SIZE_T kRoomForTheReport = 16 * 1024 * 1024;

bool room_for_screenshot() {
    const SIZE_T screen = static_cast<SIZE_T>(GetSystemMetrics(SM_CXVIRTUALSCREEN)) *
                          static_cast<SIZE_T>(GetSystemMetrics(SM_CYVIRTUALSCREEN)) * 4;
    void* probe = VirtualAlloc(nullptr, 3 * screen + kRoomForTheReport, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
    if (!probe) return false;
    VirtualFree(probe, 0, MEM_RELEASE);
    return true;
}

}  // namespace

void TakeReportScreenshot(TCrashException& report) {
    const int depth = report.Get(keys::ScrShotDepth);
    if (depth <= 0 || !room_for_screenshot()) return;
    try {
        std::shared_ptr<INVBitmap> shot = TakeScreenshot(report.Get(keys::ScrShotAppOnly));
        if (shot && depth < 24) {
            PixelImage reduced = ReduceColourDepth(shot->Pixels(), depth);
            shot.reset();
            shot = std::make_shared<TINVBitmap>(std::move(reduced));
        }
        if (shot) report.SetScreenshot(std::move(shot));
    } catch (...) {
        // Memory ran out after all: the report goes without the picture.
    }
}

}  // namespace roadsum
