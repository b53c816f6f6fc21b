// Report objects over fake settings, and a fake platform under the handling flow that writes
// down every step it is asked to take.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "crash/capture/crash_exception.h"
#include "crash/capture/handling_flow.h"
#include "settings_fakes.h"

namespace roadsum::testing {

// The shipped settings of the keys the flow reads, with the lines given in place of theirs.
inline std::string flow_settings(const std::string& extra = "") {
    const std::string defaults =
        "Enabled = true\nAutoSave = true\nAutoClip = false\nAutoRestart = 0\nAutoClose = 0\n"
        "PauseThreads = true\nScrShotDepth = 8\nListThreads = true\n"
        "F1Classes = \"EDBEditError\"\nF1NoScrShot = true\nF1NoHandlers = true\nF1NoSuspend = true\nF1ShowCfg = 3\n"
        "SendAssis = \"SendAssistant\"\nSaveAssis = \"\"\nFrozenMsg = \"The application seems to be frozen.\"\n";
    const auto key = [](const std::string& line) { return line.substr(0, line.find(' ')); };
    std::string text = extra;
    std::size_t start = 0;
    for (std::size_t end; (end = defaults.find('\n', start)) != std::string::npos; start = end + 1) {
        const std::string line = defaults.substr(start, end - start);
        if (extra.find(key(line) + " =") == std::string::npos) text += line + "\n";
    }
    return text;
}

inline TCapturedException exception_of(std::vector<std::string> chain, std::string message = "boom") {
    TCapturedException e;
    e.ClassChain = std::move(chain);
    e.Message = std::move(message);
    return e;
}

struct CaptureWorld : SettingsWorld {
    explicit CaptureWorld(const std::string& extra = "") { give(kExe, flow_settings(extra)); }

    Ref<TCrashException> report(TReportParams params) {
        return make_ref<TCrashException>(*context.SettingsOf(kExe), std::move(params));
    }
    Ref<TCrashException> report(TExceptionKind kind, TCapturedException e, bool can_continue = true) {
        TReportParams p;
        p.Kind = kind;
        p.Exception = std::move(e);
        p.CanContinue = can_continue;
        p.ThreadId = 0x2C8;
        p.ExceptAddress = 0x401234;
        return report(std::move(p));
    }
};

class FakeServices final : public THandlingServices {
public:
    explicit FakeServices(CaptureWorld& world) : world_(world) {}

    std::vector<std::string> log;
    std::uint64_t now = 13'400'000'000;
    TBoxChoice box = TBoxChoice::ByRules;
    TAssistantResult assistant = TAssistantResult::NotShown;
    bool complete_at_start = true;
    std::function<void()> on_make;  // runs when a report is made (a failure, say)
    std::function<void(TCrashException&)> on_show;  // runs while the report is shown (a send, say)
    Ref<TCrashException> last;

    void ClearTempFolder() override { log.push_back("clear temp"); }
    Ref<TCrashException> MakeReport(const THandlingRequest& r) override {
        if (on_make) on_make();
        TReportParams p;
        p.Kind = r.Kind;
        if (r.ExceptObject) p.Exception = *r.ExceptObject;
        p.CanContinue = r.CanContinue;
        p.ThreadId = r.ThreadId;
        last = world_.report(std::move(p));
        return last;
    }
    std::uint64_t NowSeconds() override { return now; }
    void PauseThreads(TCrashException&) override { log.push_back("pause threads"); }
    void ResumeThreads() override { log.push_back("resume threads"); }
    void StartScreenshot(TCrashException&) override { log.push_back("screenshot"); }
    void StartReport(TCrashException& r) override {
        log.push_back("report");
        if (complete_at_start) r.MarkComplete();
    }
    void RegisterAutomaticActions(TCrashException&) override { log.push_back("automatic actions"); }
    void WaitForAutomaticActions(TCrashException&) override { log.push_back("wait"); }
    TBoxChoice ShowReport(TCrashException& r) override {
        log.push_back("show");
        if (on_show) on_show(r);
        return box;
    }
    TAssistantResult RunAssistant(TCrashException&, const std::string& name, void*) override {
        log.push_back("assistant " + name);
        return assistant;
    }
    void AutoSave(TCrashException&) override { log.push_back("save"); }
    void CloseApplication() override { log.push_back("close"); }
    void RestartApplication(const TExceptionTimeRing& ring) override {
        log.push_back("restart with " + std::to_string(ring.Filled()) + " times");
    }
    TMainThreadCaller* MainThread() override { return nullptr; }

private:
    CaptureWorld& world_;
};

}  // namespace roadsum::testing
