// The report of one failure: its header fields and sections, the threads it lists, the call-stack
// checksums and how far it has come. The header and placeholders are made at once; the
// completion replaces each placeholder as its section is done, while the box may read the text.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "crash/report/register_sections.h"
#include "crash/report/report_header.h"
#include "crash/settings/report_text.h"
#include "crash/report/thread_sections.h"
#include "crash/settings/crash_settings.h"
#include "crash/settings/ref_counted.h"
#include "crash/settings/report_fields.h"

namespace roadsum {

// What a report knows of the failure it describes.
struct TReportFailure {
    FailureFacts Facts;                  // time, number, class and message
    std::uint32_t Address = 0;           // where it happened; 0 for a freeze
    std::uint32_t ThreadId = 0;          // the crashing thread; 0 for a freeze
    std::optional<CpuRegisters> Context;  // the processor context, when there is one
    bool External = false;               // raised by the processor or the system
};

class TBugReport : public RefCounted {
public:
    // The header and section lists, and the abort flag, may be those of the exception object
    // that owns the report.
    TBugReport(Ref<INXSettings> settings, TReportFailure failure, Ref<INXFields> header = nullptr,
               Ref<INXFields> sections = nullptr, const std::atomic<bool>* abort = nullptr);

    INXSettings& Settings() const { return *settings_; }
    const TReportFailure& Failure() const { return failure_; }
    bool Frozen() const { return failure_.Facts.Frozen; }
    INXFields& Header() const { return *header_; }
    INXFields& Sections() const { return *sections_; }

    std::vector<TThreadReportRecord> Threads() const;
    void SetThreads(std::vector<TThreadReportRecord> threads);

    // Crash location, crashing thread's stack, all stacks; 0 until the report is complete.
    std::uint32_t CallstackCrc(int index) const;

    // The whole text, made again only after a change.
    std::string Text() const;

    bool Complete() const { return complete_.load(); }
    // Marks the report complete with its checksums, and runs what waited for that.
    void MarkComplete(std::uint32_t crc1, std::uint32_t crc2, std::uint32_t crc3);
    // Runs `then` once the report is complete (at once when it is).
    void WhenComplete(std::function<void()> then);
    // Runs `then` once the completion has ended, complete or stopped (at once when it has).
    void WhenFinished(std::function<void()> then);
    // False when the report did not become complete in time or its completion was stopped.
    bool WaitComplete(std::uint32_t milliseconds) const;

    // Stops the completion between its steps.
    void Abort();
    bool Aborted() const { return abort_ || (external_abort_ && *external_abort_); }
    // The flag a stack trace watches: the owner's when it has one.
    const std::atomic<bool>& AbortFlag() const { return external_abort_ ? *external_abort_ : abort_; }
    // The completion ended without completing the report.
    void MarkStopped();

private:
    Ref<INXSettings> settings_;
    const TReportFailure failure_;
    Ref<INXFields> header_;
    Ref<INXFields> sections_;
    mutable ReportTextCache text_;

    std::atomic<bool> complete_{false};
    std::atomic<bool> abort_{false};
    const std::atomic<bool>* external_abort_;
    mutable std::mutex lock_;
    mutable std::condition_variable finished_;
    bool stopped_ = false;
    std::uint32_t crcs_[3] = {0, 0, 0};
    std::vector<TThreadReportRecord> threads_;
    std::vector<std::function<void()>> on_complete_;
    std::vector<std::function<void()>> on_finish_;
};

}  // namespace roadsum
