// What happens to one handling request: the report object with its filter group, the
// exception handlers with the report's phases, thread pausing, the report and its automatic
// actions, showing it, and the ending the user or the rules choose (continue, restart, close).
//
// The flow runs in the handling thread (or in the failing thread when the process is blocked)
// over the services of the platform; the box, the report completion, the automatic actions
// and the assistants come in through those services.
#pragma once

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>

#include "crash/capture/crash_exception.h"
#include "crash/capture/handler_registry.h"
#include "crash/capture/handling_request.h"
#include "crash/capture/time_ring.h"
#include "crash/settings/ref_counted.h"

namespace roadsum {

enum class TEnding { Continue, Restart, Close };

// The automatic rules: AutoClose holding closes; a failure that cannot continue closes unless
// AutoRestart holds; AutoRestart holding restarts; anything else continues.
TEnding DecideEnding(bool can_continue, std::int32_t auto_close, std::int32_t auto_restart,
                     const TExceptionTimeRing& ring, std::uint64_t now);
TActionCode ActionOf(TEnding ending);

// What the box made of a report: the user's choice, or the rules decide.
enum class TBoxChoice { ByRules, Continue, Restart, Close };

// What an assistant made of an action.
enum class TAssistantResult { NotShown, Cancelled, Done };

class THandlingServices {
public:
    virtual ~THandlingServices() = default;
    virtual void ClearTempFolder() = 0;
    // The report object of a request with the settings of the module that contains the
    // exception address; null when it cannot be made.
    virtual Ref<TCrashException> MakeReport(const THandlingRequest& request) = 0;
    // Whole seconds since 1601.
    virtual std::uint64_t NowSeconds() = 0;
    virtual void PauseThreads(TCrashException& report) = 0;
    virtual void ResumeThreads() = 0;
    virtual void StartScreenshot(TCrashException& report) = 0;
    // Starts completing the report (in the background unless the process is blocked).
    virtual void StartReport(TCrashException& report) = 0;
    // AutoSend and AutoClip, to run when the report is complete.
    virtual void RegisterAutomaticActions(TCrashException& report) = 0;
    // Waits for the completion and the sends of the report (not for ever).
    virtual void WaitForAutomaticActions(TCrashException& report) = 0;
    // Shows the report as its filter group says (the box, or text on a console).
    virtual TBoxChoice ShowReport(TCrashException& report) = 0;
    // Shows the named assistant modally over `owner` (a window; null: none).
    virtual TAssistantResult RunAssistant(TCrashException& report, const std::string& name, void* owner) = 0;
    virtual void AutoSave(TCrashException& report) = 0;
    // Both end the process on Windows.
    virtual void CloseApplication() = 0;
    virtual void RestartApplication(const TExceptionTimeRing& ring) = 0;
    virtual TMainThreadCaller* MainThread() = 0;
};

class THandlingFlow {
public:
    THandlingFlow(THandlingServices& services, THandlerRegistry& handlers) : services_(services), handlers_(handlers) {}

    // Handles one request; nothing escapes.
    void Handle(const THandlingRequest& request);

    // Fires an action for the report. For send, save and print: the handlers first; when none
    // handles it and the settings name an assistant, the assistant; after it the handlers again
    // with the after-assistant code. True when the action was handled (or cancelled) and the
    // caller should not do it itself. `owner` owns the assistant's window.
    bool FireAction(TCrashException& report, TActionCode action, void* owner = nullptr);

    // Ends the handling as chosen: tells the action handlers, waits for the automatic
    // actions and saves before the process ends.
    void End(TCrashException& report, TEnding ending);

    TExceptionTimeRing Ring() const;
    void SetRing(const TExceptionTimeRing& ring);

private:
    void Run(const THandlingRequest& request);
    // Fires the exception handlers with the report's new phase; true when one handled it.
    bool FirePhase(TCrashException& report, TReportPhase phase);
    bool FireEvent(TCrashException& report, THandlerEvent event, int action);
    // AutoSave, with AutoSaveIfNotSent only when the report was not sent.
    void SaveAutomatically(TCrashException& report, bool process_ends);

    THandlingServices& services_;
    THandlerRegistry& handlers_;
    mutable std::mutex ring_lock_;
    TExceptionTimeRing ring_;
};

}  // namespace roadsum
