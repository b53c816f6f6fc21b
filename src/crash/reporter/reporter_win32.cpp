#include "crash/reporter/reporter_win32.h"

#include <atomic>

#include "crash/box/exception_box_win32.h"
#include "crash/report/exception_report_win32.h"

namespace roadsum {

namespace {

void start_report(const Ref<TCrashException>& report, bool background, bool all_threads) {
    StartExceptionReport(report, background, all_threads);
}

void install_report_parts() {
    UseCaptureThreadNames();
    TReportParts parts;
    parts.StartReport = start_report;
    parts.AutoSave = AutoSaveReport;
    SetReportParts(std::move(parts));
    SetReportActionDoer(acSave, SaveReportInteractively);
}

}  // namespace

void StartReporter() {
    static std::atomic<bool> started{false};
    if (started.exchange(true)) return;
    install_report_parts();

    // ---- The rooms above the report install their parts here, one line each, before capture
    // ---- starts: the exception box, the assistants, sending.
    InstallExceptionBox();

    StartCrashReporter();
}

}  // namespace roadsum
