// The report object: one failure with its own copy of the module's settings (a handler or a
// filter group may change them without touching the module's), what the hook knew about the
// failure, the header fields and sections of the report, and how far handling has come.
//
// Report objects are shared between threads (the handling thread, the completion thread,
// handlers that keep one), so every changing part is guarded.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "crash/capture/capture_types.h"
#include "crash/capture/captured_exception.h"
#include "crash/common/completion_latch.h"
#include "crash/settings/crash_settings.h"
#include "crash/settings/environment.h"
#include "crash/settings/filter_groups.h"
#include "crash/settings/report_fields.h"
#include "crash/settings/report_text.h"
#include "crash/stack/thread_stack_record.h"

namespace roadsum {

class INVBitmap;


class INXException : public virtual INXSettings {
public:
    virtual TReportPhase Phase() const = 0;
    // Cleared by anyone; set again only when the failure could continue at first.
    virtual bool CanContinue() const = 0;
    virtual bool SetCanContinue(bool value) = 0;

    virtual TExceptionKind Kind() const = 0;
    virtual const TCapturedException& ExceptObject() const = 0;
    virtual std::uint32_t ExceptAddress() const = 0;
    virtual std::uint32_t CrashedThreadId() const = 0;  // 0 for a freeze
    virtual TExceptionSource Source() const = 0;
    virtual const void* RelatedObject() const = 0;
    virtual std::uintptr_t Package() const = 0;
    virtual std::uint32_t StackPointer() const = 0;
    virtual std::uint32_t FramePointer() const = 0;
    virtual const TProcessorContext* Context() const = 0;
    virtual PreparedStackRef PreparedStack() const = 0;
    virtual LocalTime ExceptTime() const = 0;
    virtual std::string ExceptClass() const = 0;
    virtual std::string ExceptMessage() const = 0;

    // Crash location, crashing thread's stack, all stacks; 0 until the report is complete.
    virtual std::uint32_t CallstackCrc(int index) const = 0;

    // What the filter group decided; handlers may change it for this report.
    virtual FilterDecision Decision() const = 0;
    virtual void SetDecision(const FilterDecision& decision) = 0;

    virtual Ref<INXFields> Fields() = 0;    // header: label and content
    virtual Ref<INXFields> Sections() = 0;  // title and text
    // The threads the report lists, in its order; empty until the report has started.
    virtual std::vector<TThreadStackRecord> Threads() const = 0;

    // The whole text as shown, saved and sent.
    virtual std::string ReportText() const = 0;
    virtual bool Complete() const = 0;
    // Waits until the report is complete; false when it did not become complete in time.
    virtual bool WaitComplete(std::uint32_t milliseconds) const = 0;
    // Stops the completion between its steps.
    virtual void AbortCompletion() = 0;

    // The screenshot taken for the report (null: none), and whether it goes along when the
    // report is sent or saved.
    virtual std::shared_ptr<INVBitmap> Screenshot() const = 0;
    virtual void SetScreenshot(std::shared_ptr<INVBitmap> screenshot) = 0;
    virtual bool AppendScreenshot() const = 0;
    virtual void SetAppendScreenshot(bool append) = 0;
};

// Everything a report object is made from.
struct TReportParams {
    TExceptionKind Kind = ekNormal;
    TCapturedException Exception;
    std::uint32_t ExceptAddress = 0;
    std::uintptr_t Package = 0;
    const void* RelatedObject = nullptr;
    TExceptionSource Source = esProgram;
    std::optional<TProcessorContext> Context;
    std::uint32_t FramePointer = 0, StackPointer = 0;
    std::uint32_t ThreadId = 0;  // the crashing thread
    bool CanContinue = true;
    bool PostponeCompletion = false;
    LocalTime Time;
    std::uint64_t Number = 0;  // a per-process count of reports, from 1
};

class TCrashException final : public TCrashSettings, public INXException {
public:
    // A copy of `settings` as they stand now, with the filter group's decision for the
    // exception's class.
    TCrashException(const TCrashSettings& settings, TReportParams params);
    ~TCrashException() override;

    TReportPhase Phase() const override { return phase_.load(); }
    void SetPhase(TReportPhase phase) { phase_ = phase; }
    bool CanContinue() const override { return can_continue_.load(); }
    bool SetCanContinue(bool value) override;

    TExceptionKind Kind() const override { return params_.Kind; }
    const TCapturedException& ExceptObject() const override { return params_.Exception; }
    std::uint32_t ExceptAddress() const override { return params_.ExceptAddress; }
    std::uint32_t CrashedThreadId() const override { return params_.Kind == ekFrozen ? 0 : params_.ThreadId; }
    TExceptionSource Source() const override { return params_.Source; }
    const void* RelatedObject() const override { return params_.RelatedObject; }
    std::uintptr_t Package() const override { return params_.Package; }
    std::uint32_t StackPointer() const override { return params_.StackPointer; }
    std::uint32_t FramePointer() const override { return params_.FramePointer; }
    const TProcessorContext* Context() const override { return params_.Context ? &*params_.Context : nullptr; }
    PreparedStackRef PreparedStack() const override { return prepared_; }
    LocalTime ExceptTime() const override { return params_.Time; }
    std::string ExceptClass() const override { return params_.Exception.ClassName(); }
    std::string ExceptMessage() const override { return params_.Exception.Message; }
    const TReportParams& Params() const { return params_; }

    std::uint32_t CallstackCrc(int index) const override;
    void SetCallstackCrcs(std::uint32_t crc1, std::uint32_t crc2, std::uint32_t crc3);

    FilterDecision Decision() const override;
    void SetDecision(const FilterDecision& decision) override;

    Ref<INXFields> Fields() override { return Ref<INXFields>(fields_.get()); }
    Ref<INXFields> Sections() override { return Ref<INXFields>(sections_.get()); }
    std::vector<TThreadStackRecord> Threads() const override;
    void SetThreads(std::vector<TThreadStackRecord> threads);

    std::string ReportText() const override;
    bool Complete() const override { return done_.Complete(); }
    bool WaitComplete(std::uint32_t milliseconds) const override;
    void AbortCompletion() override { abort_ = true; }
    const std::atomic<bool>& AbortFlag() const { return abort_; }

    std::shared_ptr<INVBitmap> Screenshot() const override;
    void SetScreenshot(std::shared_ptr<INVBitmap> screenshot) override;
    bool AppendScreenshot() const override { return append_screenshot_.load(); }
    void SetAppendScreenshot(bool append) override { append_screenshot_ = append; }
    // Sending marks a report it delivered (an automatic save may then be skipped).
    void MarkSent() { sent_ = true; }
    bool Sent() const { return sent_.load(); }

    // The completion marks the report complete; `then` runs once it is (at once if it is).
    void MarkComplete();
    void WhenComplete(std::function<void()> then);
    // The handling builds no report for it (its group wants none, or a handler took the
    // exception over first): nobody waits for its completion, and nothing saves it.
    void MarkNotBuilt() {
        built_ = false;
        done_.MarkStopped();
    }
    bool Built() const { return built_.load(); }

    // Sends of this report from their start to their end (in the caller or a background
    // thread); the report counts as sent once one of them succeeded.
    void BeginSending();
    void EndSending(bool sent);
    // False when a send was still under way after the time.
    bool WaitSendsDone(std::uint32_t milliseconds) const;
    // Runs `then` once no send is under way (at once when none is).
    void WhenSendsDone(std::function<void()> then);

    // The report is in the report file: a copy of that file that goes along with a send
    // holds it already.
    void MarkSaved() { saved_ = true; }
    bool Saved() const { return saved_.load(); }

    // Told after every change of the header fields or the sections (the box refreshes its
    // details); one listener at a time, null detaches (waiting for a call under way).
    void SetChangeListener(std::function<void()> listener);

protected:
    std::optional<std::string> ReportVariable(TextVariable variable) const override;
    std::optional<bool> ReportHasScreenshot() const override { return Screenshot() != nullptr; }

private:
    TReportParams params_;
    PreparedStackRef prepared_;  // into params_'s raise record
    std::atomic<TReportPhase> phase_{rpNone};
    const bool could_continue_;
    std::atomic<bool> can_continue_;
    CompletionLatch done_;
    std::atomic<bool> abort_{false};
    std::atomic<bool> sent_{false};
    std::atomic<bool> built_{true};
    std::atomic<bool> saved_{false};
    std::atomic<bool> append_screenshot_{true};

    mutable std::mutex lock_;
    std::uint32_t crcs_[3] = {0, 0, 0};
    FilterDecision decision_;
    std::vector<TThreadStackRecord> threads_;
    int sending_ = 0;
    mutable std::condition_variable sends_done_;
    std::vector<std::function<void()>> after_sends_;
    Ref<TReportFields> fields_;
    Ref<TReportFields> sections_;
    mutable ReportTextCache text_;
    std::shared_ptr<INVBitmap> screenshot_;
};

}  // namespace roadsum
