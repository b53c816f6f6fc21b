// Making a report in this process: the system's facts and the thread list at once, then the
// completion, in a thread of its own (above normal priority) or, when the process is blocked,
// right here with the please-wait window.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include "crash/report/bug_report.h"
#include "crash/report/report_completion.h"

namespace roadsum {

struct TReportRequest {
    Ref<INXSettings> Settings;  // the report's own settings
    TReportFailure Failure;     // Number 0: the next of this process; a zero time: now
    // The failing thread's stack at the failure (a zero range: the stack pointer of the context,
    // up to the thread's stack base) and what its raise recorded.
    std::uint32_t StackLow = 0, StackHigh = 0, FramePointer = 0;
    PreparedStackRef PreparedStack;
    bool RuntimeTerminated = false;
    bool Background = true;  // false: completed before CreateReport returns
    bool WithReporterThreads = false;
    // The lists and the abort flag of the exception object that owns the report, when it has them.
    Ref<INXFields> Header, Sections;
    const std::atomic<bool>* AbortFlag = nullptr;
};

Ref<TBugReport> CreateReport(const TReportRequest& request);

// The please-wait window of a completion in the foreground (shown when PlWaitBox is set); the
// exception box provides it.
using PleaseWaitWindowFactory = std::unique_ptr<ReportProgress> (*)(const INXSettings& settings);
void SetPleaseWaitWindow(PleaseWaitWindowFactory factory);

// How many reports this process has made.
std::uint64_t NextReportNumber();

}  // namespace roadsum
