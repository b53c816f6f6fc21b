#include "crash/report/report_creation_win32.h"

#include <windows.h>

#include <algorithm>
#include <atomic>

#include "crash/report/report_sources_win32.h"
#include "crash/report/report_threads_win32.h"
#include "crash/report/system_facts_win32.h"
#include "crash/settings/settings_win32.h"
#include "crash/stack/stack_trace_win32.h"

namespace roadsum {

namespace {

std::atomic<PleaseWaitWindowFactory> please_wait{nullptr};
std::atomic<std::uint64_t> reports_made{0};

std::uint32_t own_stack_base() {
    std::uint32_t base;
    asm volatile("movl %%fs:4, %0" : "=r"(base));
    return base;
}

std::uint32_t stack_base_of(std::uint32_t thread_id) {
    if (thread_id == GetCurrentThreadId()) return own_stack_base();
    const HANDLE thread = OpenThread(THREAD_GET_CONTEXT | THREAD_QUERY_INFORMATION, FALSE, thread_id);
    if (!thread) return 0;
    ThreadStackStart start;
    const bool known = GetThreadStackStart(thread, start);
    CloseHandle(thread);
    return known ? start.StackBase : 0;
}

// The crashing thread's record: what the system lists, with the stack as it was at the failure.
void describe_crashing_thread(std::vector<TThreadReportRecord>& threads, const TReportRequest& request) {
    const TReportFailure& f = request.Failure;
    auto it = std::find_if(threads.begin(), threads.end(), [&](const auto& t) { return t.ThreadId == f.ThreadId; });
    if (it == threads.end()) {
        TThreadReportRecord t;
        t.ThreadId = f.ThreadId;
        it = threads.insert(threads.begin(), t);
    }
    it->TopAddress = f.Address;
    it->External = f.External;
    it->RuntimeTerminated = request.RuntimeTerminated;
    it->PreparedStack = request.PreparedStack;
    it->StackLow = request.StackLow ? request.StackLow : f.Context ? f.Context->Esp : 0;
    it->StackHigh = request.StackHigh ? request.StackHigh : it->StackLow ? stack_base_of(f.ThreadId) : 0;
    it->FramePointer = request.FramePointer ? request.FramePointer : f.Context ? f.Context->Ebp : 0;
}

struct Completion {
    Completion(Ref<TBugReport> r, const INXSettings& settings) : report(std::move(r)), sources(settings) {}
    Ref<TBugReport> report;
    ProcessReportSources sources;
};

void complete_safely(TBugReport& report, ReportSources& sources, ReportProgress* progress) {
    try {
        complete_report(report, sources, progress);
    } catch (...) {
        report.MarkStopped();
    }
}

DWORD WINAPI completion_thread(void* parameter) {
    const std::unique_ptr<Completion> work(static_cast<Completion*>(parameter));
    EnterReporterThread(GetCurrentThreadId());
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_ABOVE_NORMAL);
    complete_safely(*work->report, work->sources, nullptr);
    LeaveReporterThread(GetCurrentThreadId());
    return 0;
}

}  // namespace

void SetPleaseWaitWindow(PleaseWaitWindowFactory factory) { please_wait = factory; }

std::uint64_t NextReportNumber() { return ++reports_made; }

Ref<TBugReport> CreateReport(const TReportRequest& request) {
    TReportFailure failure = request.Failure;
    if (failure.Facts.Number == 0) failure.Facts.Number = NextReportNumber();
    if (failure.Facts.Time.year == 0) failure.Facts.Time = Win32SettingsEnvironment().local_time();
    INXSettings& settings = *request.Settings;
    if (failure.Facts.Frozen) {
        failure.Facts.FrozenMessage = settings.Get(keys::FrozenMsg);
        failure.ThreadId = 0;
    } else if (failure.ThreadId == 0) {
        failure.ThreadId = GetCurrentThreadId();
    }
    Ref<TBugReport> report =
        make_ref<TBugReport>(request.Settings, failure, request.Header, request.Sections, request.AbortFlag);

    TReportRequest described = request;
    described.Failure = failure;
    std::vector<TThreadReportRecord> threads = ListProcessThreads();
    if (!failure.Facts.Frozen) describe_crashing_thread(threads, described);
    auto completion = std::make_unique<Completion>(report, settings);
    start_report(*report, completion->sources, GatherSystemFacts(settings),
                 // A trace of the whole process (the reporter's own threads too) lists every thread.
                 order_report_threads(std::move(threads), failure.ThreadId, ReportMainThreadId(),
                                      settings.Get(keys::ListThreads) || request.WithReporterThreads,
                                      request.WithReporterThreads));
    if (request.Background) {
        Completion* work = completion.release();
        if (const HANDLE thread = CreateThread(nullptr, 0, completion_thread, work, 0, nullptr)) {
            CloseHandle(thread);
            return report;
        }
        completion.reset(work);  // no thread: complete it here
    }
    std::unique_ptr<ReportProgress> window;
    if (const PleaseWaitWindowFactory factory = please_wait.load(); factory && settings.Get(keys::PlWaitBox))
        window = factory(settings);
    complete_safely(*report, completion->sources, window.get());
    return report;
}

}  // namespace roadsum
