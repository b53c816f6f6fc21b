#include "crash/capture/handling_flow.h"

namespace roadsum {

namespace {

TEnding ending_of(TBoxChoice choice) {
    switch (choice) {
        case TBoxChoice::Restart: return TEnding::Restart;
        case TBoxChoice::Close: return TEnding::Close;
        default: return TEnding::Continue;
    }
}

}  // namespace

TEnding DecideEnding(bool can_continue, std::int32_t auto_close, std::int32_t auto_restart,
                     const TExceptionTimeRing& ring, std::uint64_t now) {
    if (ring.RuleHolds(auto_close, now)) return TEnding::Close;
    const bool restart = ring.RuleHolds(auto_restart, now);
    if (restart) return TEnding::Restart;
    return can_continue ? TEnding::Continue : TEnding::Close;
}

TActionCode ActionOf(TEnding ending) {
    switch (ending) {
        case TEnding::Restart: return acRestart;
        case TEnding::Close: return acClose;
        case TEnding::Continue: break;
    }
    return acContinue;
}

TExceptionTimeRing THandlingFlow::Ring() const {
    std::lock_guard guard(ring_lock_);
    return ring_;
}

void THandlingFlow::SetRing(const TExceptionTimeRing& ring) {
    std::lock_guard guard(ring_lock_);
    ring_ = ring;
}

void THandlingFlow::Handle(const THandlingRequest& request) {
    try {
        Run(request);
    } catch (...) {
        // A failure of the handling ends it quietly; the failing thread is released.
    }
}

bool THandlingFlow::FireEvent(TCrashException& report, THandlerEvent event, int action) {
    if (event != heHiddenException && !report.Decision().call_handlers) return false;
    TFireHandlersParams params;
    params.Event = event;
    params.Action = action;
    params.Report = &report;
    handlers_.Fire(params, report.Kind() == ekFrozen, services_.MainThread());
    return params.Handled;
}

bool THandlingFlow::FirePhase(TCrashException& report, TReportPhase phase) {
    report.SetPhase(phase);
    return FireEvent(report, heException, 0);
}

void THandlingFlow::Run(const THandlingRequest& request) {
    services_.ClearTempFolder();
    Ref<TCrashException> report = services_.MakeReport(request);
    if (!report) return;
    if (report->Kind() == ekHidden) {
        FireEvent(*report, heHiddenException, 0);
        return;
    }
    const std::uint64_t now = services_.NowSeconds();
    {
        std::lock_guard guard(ring_lock_);
        ring_.Enter(now);
    }

    bool paused = false;
    TBoxChoice choice = TBoxChoice::ByRules;
    bool handled = FirePhase(*report, rpCreated);
    if (!handled) {
        const FilterDecision decision = report->Decision();
        if (decision.suspend_threads && report->Kind() != ekFrozen) {
            services_.PauseThreads(*report);
            paused = true;
        }
        if (decision.create_screenshot) services_.StartScreenshot(*report);
        if (decision.create_report) services_.StartReport(*report);
        else report->MarkNotBuilt();
        handled = FirePhase(*report, rpStarted);
    } else {
        report->MarkNotBuilt();
    }
    if (!handled) {
        // They run when the report is complete: one that is not built has none.
        if (report->Built() && (report->Get(keys::AutoSave) || report->Get(keys::AutoSend) || report->Get(keys::AutoClip)))
            services_.RegisterAutomaticActions(*report);
        handled = FirePhase(*report, rpShowing);
    }
    if (!handled) {
        // The completion thread holds the report while it calls this.
        TCrashException* r = report.get();
        report->WhenComplete([this, r] {
            if (r->Phase() == rpShowing) FirePhase(*r, rpComplete);
        });
        choice = services_.ShowReport(*report);
    }

    if (!(handled && report->CanContinue())) {
        const TEnding ending = choice == TBoxChoice::ByRules
                                   ? DecideEnding(report->CanContinue(), report->Get(keys::AutoClose),
                                                  report->Get(keys::AutoRestart), Ring(), now)
                                   : ending_of(choice);
        End(*report, ending);
        if (ending == TEnding::Continue) SaveAutomatically(*report, false);
    }
    if (paused) services_.ResumeThreads();
}

void THandlingFlow::End(TCrashException& report, TEnding ending) {
    FireAction(report, ActionOf(ending));
    if (ending == TEnding::Continue) return;
    if (report.Built()) services_.WaitForAutomaticActions(report);
    SaveAutomatically(report, true);
    if (ending == TEnding::Close)
        services_.CloseApplication();
    else
        services_.RestartApplication(Ring());
}

void THandlingFlow::SaveAutomatically(TCrashException& report, bool process_ends) {
    if (!report.Get(keys::AutoSave) || !report.Built()) return;
    const bool unless_sent = report.Get(keys::AutoSaveIfNotSent);
    if (unless_sent && !process_ends) {
        // A send still under way decides when it ends; the sender holds the report till then.
        const Ref<TCrashException> held(&report);
        report.WhenSendsDone([this, held] {
            if (!held->Sent()) services_.AutoSave(*held);
        });
    } else if (!(unless_sent && report.Sent())) {
        // A process that ends saves what is not sent by now rather than lose it.
        services_.AutoSave(report);
    }
}

bool THandlingFlow::FireAction(TCrashException& report, TActionCode action, void* owner) {
    if (FireEvent(report, heAction, action)) return true;
    TextKey assistant{};
    TActionCode after{};
    switch (action) {
        case acSend: assistant = keys::SendAssis; after = acAfterSendAssistant; break;
        case acSave: assistant = keys::SaveAssis; after = acAfterSaveAssistant; break;
        case acPrint: assistant = keys::PrintAssis; after = acAfterPrintAssistant; break;
        default: return false;
    }
    const std::string name = report.Get(assistant);
    if (name.empty()) return false;
    switch (services_.RunAssistant(report, name, owner)) {
        case TAssistantResult::Cancelled: return true;
        case TAssistantResult::Done: return FireEvent(report, heAction, after);
        case TAssistantResult::NotShown: break;
    }
    return false;
}

}  // namespace roadsum
