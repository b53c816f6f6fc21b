// The handling flow's services in this process: report objects with the settings of the
// faulting module, their completion by the report room's registered part, showing a report
// (the box when there is one, standard output in a console program), the automatic clipboard
// copy, sending and save, and the endings.
#include "crash/capture/capture_internal_win32.h"

#include <atomic>
#include <map>
#include <mutex>

#include "crash/capture/report_screenshot.h"
#include "crash/common/clipboard_win32.h"

namespace roadsum::capture {

namespace {

// How long the reporter waits at most for a report to become complete before it shows, saves
// or closes without the rest, and for its sends before it closes.
constexpr std::uint32_t kCompletionPatience = 60000;
constexpr std::uint32_t kSendPatience = 60000;

std::atomic<std::uint64_t> g_report_number{0};

// What the rooms above capture registered.
std::mutex g_parts_lock;
std::map<int, TReportActionDoer> g_action_doers;
TAssistantRunner g_assistant_runner;
TReportParts g_report_parts;
TAutomaticSender g_automatic_sender;

TReportParts report_parts() {
    std::lock_guard lock(g_parts_lock);
    return g_report_parts;
}

TAutomaticSender automatic_sender() {
    std::lock_guard lock(g_parts_lock);
    return g_automatic_sender;
}

LocalTime local_now() {
    SYSTEMTIME t;
    GetLocalTime(&t);
    return {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds};
}

std::uint64_t seconds_since_1601() {
    FILETIME ft;
    GetSystemTimeAsFileTime(&ft);
    return ((std::uint64_t(ft.dwHighDateTime) << 32) | ft.dwLowDateTime) / 10000000;
}

// The console's stand-in for the box: the message, and the report when the box would offer it.
void print_report(TCrashException& report) {
    std::string text = report.Get(report.Kind() == ekFrozen ? keys::FrozenMsg : keys::ExceptMsg) + "\r\n";
    if ((report.Get(keys::AutoShowBugRep) || report.Get(keys::ShowBtnVis)) && report.Decision().create_report) {
        report.WaitComplete(kCompletionPatience);
        text += "\r\n" + report.ReportText() + "\r\n";
    }
    WriteConsole(text);
}

class Services final : public THandlingServices {
public:
    void ClearTempFolder() override {
        const std::string folder = ReporterTempFolder();
        if (folder.empty()) return;
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA((folder + "*").c_str(), &found);
        if (search == INVALID_HANDLE_VALUE) return;
        do {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) DeleteFileA((folder + found.cFileName).c_str());
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    Ref<TCrashException> MakeReport(const THandlingRequest& request) override { return capture::MakeReport(request); }
    std::uint64_t NowSeconds() override { return seconds_since_1601(); }
    void PauseThreads(TCrashException& report) override { PauseProgramThreads(report.CrashedThreadId()); }
    void ResumeThreads() override { ResumeProgramThreads(); }
    void StartScreenshot(TCrashException& report) override { TakeReportScreenshot(report); }
    void StartReport(TCrashException& report) override {
        // A report made in the failing thread of a blocked process is completed right there.
        CompleteReport(Ref<TCrashException>(&report), GetCurrentThreadId() == HandlingThreadId(), false);
    }
    void RegisterAutomaticActions(TCrashException& report) override {
        TCrashException* r = &report;  // the completion holds the report while it calls these
        if (report.Get(keys::AutoClip)) report.WhenComplete([r] { CopyTextToClipboard(r->ReportText()); });
        const TAutomaticSender send = report.Get(keys::AutoSend) ? automatic_sender() : nullptr;
        if (!send) return;
        // The send counts as under way from now, so that nobody who waits for the report's
        // completion takes it for unsent before the sender has started.
        report.BeginSending();
        report.WhenComplete([r, send] {
            send(*r);
            r->EndSending(false);
        });
    }
    void WaitForAutomaticActions(TCrashException& report) override {
        if (!(report.Get(keys::AutoClip) || report.Get(keys::AutoSend) || report.Get(keys::AutoSave))) return;
        if (report.WaitComplete(kCompletionPatience)) report.WaitSendsDone(kSendPatience);
    }
    TBoxChoice ShowReport(TCrashException& report) override {
        if (report.Decision().box_kind == 4) return TBoxChoice::ByRules;
        if (Facts().console) {
            print_report(report);
            return TBoxChoice::ByRules;
        }
        IExceptionBox* box = Box();
        return box ? box->Show(report, Flow()) : TBoxChoice::ByRules;
    }
    TAssistantResult RunAssistant(TCrashException& report, const std::string& name, void* owner) override {
        return roadsum::RunAssistant(report, name, owner);
    }
    void AutoSave(TCrashException& report) override {
        if (const TReportParts parts = report_parts(); parts.AutoSave) parts.AutoSave(report);
    }
    void CloseApplication() override { EndProcess(kCloseExitCode); }
    void RestartApplication(const TExceptionTimeRing& ring) override { RestartProcess(ring); }
    TMainThreadCaller* MainThread() override { return &MainThreadCaller(); }
};

}  // namespace

Ref<TCrashException> NewReport(TReportParams params, const TCrashSettings* settings) {
    params.Time = local_now();
    if (params.Kind != ekHidden) params.Number = ++g_report_number;
    if (settings) return make_ref<TCrashException>(*settings, std::move(params));
    const Ref<TCrashSettings> of_address =
        SettingsOfAddress(reinterpret_cast<const void*>(static_cast<std::uintptr_t>(params.ExceptAddress)));
    return make_ref<TCrashException>(*of_address, std::move(params));
}

THandlingFlow& Flow() {
    static Services* services = new Services;
    static THandlingFlow* flow = new THandlingFlow(*services, Handlers());
    return *flow;
}

Ref<TCrashException> MakeReport(const THandlingRequest& request) {
    TReportParams p;
    p.Kind = request.Kind;
    if (request.ExceptObject) p.Exception = *request.ExceptObject;
    p.ExceptAddress = request.ExceptAddress;
    p.Package = request.Package;
    p.RelatedObject = request.RelatedObject;
    p.Source = request.Source;
    if (request.Context) p.Context = *request.Context;
    p.FramePointer = request.FramePointer;
    p.StackPointer = request.StackPointer;
    p.ThreadId = request.ThreadId;
    p.CanContinue = request.CanContinue;
    return NewReport(std::move(p), nullptr);
}

void CompleteReport(const Ref<TCrashException>& report, bool background, bool all_threads) {
    if (const TReportParts parts = report_parts(); parts.StartReport)
        parts.StartReport(report, background, all_threads);
    else
        report->MarkComplete();  // nothing will fill it in: none may wait for it
}

}  // namespace roadsum::capture

namespace roadsum {

__attribute__((noinline)) Ref<INXException> CreateReport(TReportParams params, const TCrashSettings* settings,
                                                          bool postpone_completion) {
    capture::ReporterWork inside;
    if (params.ThreadId == 0) params.ThreadId = GetCurrentThreadId();
    // Without a place of its own the report is about the code that asks for it.
    if (params.ThreadId == GetCurrentThreadId() && params.ExceptAddress == 0 && params.StackPointer == 0 &&
        !params.Exception.Raise) {
        params.ExceptAddress = capture::AddressOf(__builtin_return_address(0));
        params.FramePointer = params.StackPointer = capture::AddressOf(__builtin_frame_address(0));
        capture::NoteOwnStack(params.Exception);
    }
    Ref<TCrashException> report = capture::NewReport(std::move(params), settings);
    capture::CompleteReport(report, postpone_completion, false);
    return Ref<INXException>(report.get());
}

}  // namespace roadsum

namespace roadsum {

void SetReportActionDoer(TActionCode action, TReportActionDoer doer) {
    std::lock_guard lock(capture::g_parts_lock);
    capture::g_action_doers[action] = std::move(doer);
}

std::string ReporterTempFolder() {
    char temp[MAX_PATH + 1] = {};
    const DWORD n = GetTempPathA(MAX_PATH, temp);
    if (n == 0 || n > MAX_PATH) return {};
    std::string folder(temp, n);
    if (folder.back() != '\\') folder += '\\';
    folder += ".noxExcept";
    CreateDirectoryA(folder.c_str(), nullptr);
    return folder + '\\';
}

void SetAutomaticSender(TAutomaticSender sender) {
    std::lock_guard lock(capture::g_parts_lock);
    capture::g_automatic_sender = std::move(sender);
}

void SetReportParts(TReportParts parts) {
    std::lock_guard lock(capture::g_parts_lock);
    capture::g_report_parts = std::move(parts);
}

void SetAssistantRunner(TAssistantRunner runner) {
    std::lock_guard lock(capture::g_parts_lock);
    capture::g_assistant_runner = std::move(runner);
}

bool RunReportAction(TCrashException& report, TActionCode action, void* owner) {
    if (capture::Flow().FireAction(report, action, owner)) return true;
    TReportActionDoer doer;
    {
        std::lock_guard lock(capture::g_parts_lock);
        const auto found = capture::g_action_doers.find(action);
        if (found != capture::g_action_doers.end()) doer = found->second;
    }
    if (!doer) return false;
    // The box offers its actions at once; what they send, save or print is the whole report.
    report.WaitComplete(capture::kCompletionPatience);
    return doer(report, owner);
}

TAssistantResult RunAssistant(TCrashException& report, const std::string& name, void* owner) {
    TAssistantRunner runner;
    {
        std::lock_guard lock(capture::g_parts_lock);
        runner = capture::g_assistant_runner;
    }
    return runner ? runner(report, name, owner) : TAssistantResult::NotShown;
}

}  // namespace roadsum
