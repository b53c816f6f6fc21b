#include "crash/reporter/reporter_win32.h"

#include <atomic>

#include "crash/assistants/install_assistants_win32.h"
#include "crash/box/exception_box_win32.h"
#include "crash/debuginfo/map_file_win32.h"
#include "crash/report/exception_report_win32.h"
#include "crash/reporter/debug_info_preload_win32.h"
#include "crash/send/report_sending_win32.h"
#include "crash/settings/settings_stream.h"
#include "crash/stack/stack_trace_win32.h"

namespace roadsum {

namespace {

// How long a failure waits at most for the debug information read at start-up.
constexpr std::uint32_t kDebugInfoPatience = 10000;

void start_report(const Ref<TCrashException>& report, bool background, bool all_threads) {
    // In a blocked process the reading thread cannot go on (a thread starts and queries its
    // modules under the loader lock), so the report reads what it needs itself.
    if (!ProcessBlockedNow()) WaitForDebugInfoPreload(kDebugInfoPatience);
    StartExceptionReport(report, background, all_threads);
}

void install_report_parts() {
    SetProcessMinDebugInfoReader(min_debug_info_of);
    SetRaiseAddressReader(CaughtExceptionRaiseAddress);
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
    InstallAssistants();
    InstallSending();

    StartCrashReporter();
    // After capture: the reading thread is named in capture's thread list as the reporter's own.
    if (CrashReporterEnabled()) StartDebugInfoPreload();
}

}  // namespace roadsum
