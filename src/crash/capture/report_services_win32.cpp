// The handling flow's services in this process: report objects with the settings of the
// faulting module, their completion over this process's threads, showing a report (the box
// when there is one, standard output in a console program), the automatic clipboard copy, and
// the endings.
#include "crash/capture/capture_internal_win32.h"

#include <tlhelp32.h>

#include <atomic>
#include <map>
#include <mutex>
#include <cstring>

#include "crash/capture/report_completion.h"
#include "crash/stack/stack_trace_win32.h"

namespace roadsum::capture {

namespace {

// How long the reporter waits at most for a report to become complete before it shows, saves
// or closes without the rest.
constexpr std::uint32_t kCompletionPatience = 60000;

std::atomic<std::uint64_t> g_report_number{0};

// What the rooms above capture registered.
std::mutex g_parts_lock;
std::map<int, TReportActionDoer> g_action_doers;
TAssistantRunner g_assistant_runner;
TReportParts g_report_parts;

TReportParts report_parts() {
    std::lock_guard lock(g_parts_lock);
    return g_report_parts;
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

class ProcessThreads final : public TReportProcess {
public:
    std::uint32_t ProcessId() const override { return GetCurrentProcessId(); }
    std::uint32_t MainThreadId() const override { return Facts().main_thread_id; }

    std::vector<std::uint32_t> ThreadIds() const override {
        std::vector<std::uint32_t> ids;
        HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
        if (snapshot == INVALID_HANDLE_VALUE) return ids;
        THREADENTRY32 entry{};
        entry.dwSize = sizeof entry;
        for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry))
            if (entry.th32OwnerProcessID == GetCurrentProcessId()) ids.push_back(entry.th32ThreadID);
        CloseHandle(snapshot);
        return ids;
    }

    std::optional<TThreadNameEntry> ThreadName(std::uint32_t id) const override { return capture::ThreadName(id); }

    TThreadTrace Trace(const TCrashException& report, const TThreadStackRecord& thread) override {
        TThreadTrace result;
        TraceStackOptions o;
        o.HideUglyItems = report.Get(keys::HideUglyItems);
        o.ShowRelAddrs = report.Get(keys::ShowRelAddrs);
        o.ShowRelLines = report.Get(keys::ShowRelLines);
        o.Crc1 = &result.Crc1;
        o.Crc2 = &result.Crc2;
        o.HasLineInfo = &result.HasLines;
        o.CreatorAddress = thread.ThreadFunction;
        o.Abort = &report.AbortFlag();
        if (thread.Crashing) {
            o.IsException = true;
            o.ExternalException = thread.External;
            o.CurrentAddress = thread.TopAddress;
            if (!thread.PreparedStack.empty()) {
                o.PreparedStack = thread.PreparedStack;
            } else {
                o.StackLow = thread.StackLow;
                o.StackHigh = thread.StackHigh;
                o.FramePointer = thread.FramePointer;
                if (o.StackLow == 0 || o.StackHigh <= o.StackLow) return result;
            }
            result.Text = TraceStack(o);
        } else if (thread.ThreadId == GetCurrentThreadId()) {
            result.Text = TraceStack(o);
        } else {
            HANDLE h = OpenThread(THREAD_SUSPEND_RESUME | THREAD_GET_CONTEXT | THREAD_QUERY_INFORMATION, FALSE,
                                  thread.ThreadId);
            if (!h) return result;
            ThreadStackStart start;
            // Held only while its registers are read: a thread held through the trace could
            // hold the heap that the trace needs.
            const bool suspended = SuspendThread(h) != static_cast<DWORD>(-1);
            const bool read = suspended && GetThreadStackStart(h, start);
            if (suspended) ResumeThread(h);
            CloseHandle(h);
            if (!read) return result;
            o.StackLow = start.Esp;
            o.StackHigh = start.StackBase;
            o.FramePointer = start.Ebp;
            o.CurrentAddress = start.Eip;
            result.Text = TraceStack(o);
        }
        result.Readable = !result.Text.empty();
        return result;
    }

    std::string FormatAddress(const TCrashException& report, std::uint32_t address) override {
        return FormatCodeAddress(address, report.Get(keys::ShowRelAddrs), report.Get(keys::ShowRelLines));
    }

    void RunInBackground(std::function<void()> work) override {
        std::function<void()> copy = work;
        if (HANDLE thread = StartReporterThread(std::move(work), THREAD_PRIORITY_ABOVE_NORMAL)) {
            CloseHandle(thread);
            return;
        }
        copy();
    }
};

ProcessThreads& process_threads() {
    static ProcessThreads* threads = new ProcessThreads;
    return *threads;
}

// The console's stand-in for the box: the message, and the report when the box would offer it.
void print_report(TCrashException& report) {
    std::string text = report.Get(report.Kind() == ekFrozen ? keys::FrozenMsg : keys::ExceptMsg) + "\r\n";
    if (report.Get(keys::AutoShowBugRep) || report.Get(keys::ShowBtnVis)) {
        report.WaitComplete(kCompletionPatience);
        text += "\r\n" + report.ReportText() + "\r\n";
    }
    WriteConsole(text);
}

class Services final : public THandlingServices {
public:
    void ClearTempFolder() override {
        char temp[MAX_PATH];
        const DWORD n = GetTempPathA(sizeof temp, temp);
        if (n == 0 || n >= sizeof temp) return;
        const std::string folder = std::string(temp, n) + ".noxExcept\\";
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
    void StartScreenshot(TCrashException&) override {}
    void StartReport(TCrashException& report) override {
        // A report made in the failing thread of a blocked process is completed right there.
        CompleteReport(Ref<TCrashException>(&report), GetCurrentThreadId() == HandlingThreadId(), false);
    }
    void RegisterAutomaticActions(TCrashException& report) override {
        if (!report.Get(keys::AutoClip)) return;
        TCrashException* r = &report;  // the completion holds the report while it calls this
        report.WhenComplete([r] { CopyToClipboard(r->ReportText()); });
    }
    void WaitForAutomaticActions(TCrashException& report) override {
        if (report.Get(keys::AutoClip) || report.Get(keys::AutoSend) || report.Get(keys::AutoSave))
            report.WaitComplete(kCompletionPatience);
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

TReportCompletion& completion() {
    static TReportCompletion* c = new TReportCompletion(process_threads());
    return *c;
}

}  // namespace

bool CopyToClipboard(const std::string& text) {
    if (!OpenClipboard(nullptr)) return false;
    EmptyClipboard();
    bool done = false;
    if (HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1)) {
        if (void* p = GlobalLock(memory)) {
            std::memcpy(p, text.c_str(), text.size() + 1);
            GlobalUnlock(memory);
            done = SetClipboardData(CF_TEXT, memory) != nullptr;
        }
        if (!done) GlobalFree(memory);
    }
    CloseClipboard();
    return done;
}

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
        completion().Start(report, background, all_threads);
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
    return doer && doer(report, owner);
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
