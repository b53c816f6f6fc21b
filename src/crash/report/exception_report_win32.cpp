#include "crash/report/exception_report_win32.h"

#include <windows.h>
#include <tlhelp32.h>

#include "crash/capture/capture_win32.h"
#include "crash/common/scoped_handle_win32.h"
#include "crash/report/report_creation_win32.h"
#include "crash/report/report_file_win32.h"
#include "crash/report/report_threads_win32.h"

namespace roadsum {

namespace {

class CaptureThreadNames final : public ReportThreadNames {
public:
    std::optional<ReportThreadName> Find(std::uint32_t id) const override {
        const std::optional<TThreadNameEntry> entry = FindThreadName(id);
        if (!entry) return std::nullopt;
        return ReportThreadName{entry->Name, entry->ClassName, entry->CreatorId, entry->ThreadFunction};
    }
    // The thread the list calls "main thread".
    std::uint32_t MainThreadId() const override {
        const ScopedFile snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
        if (!snapshot.valid()) return 0;
        THREADENTRY32 entry{};
        entry.dwSize = sizeof entry;
        for (BOOL more = Thread32First(snapshot.get(), &entry); more; more = Thread32Next(snapshot.get(), &entry)) {
            if (entry.th32OwnerProcessID != GetCurrentProcessId()) continue;
            const std::optional<TThreadNameEntry> name = FindThreadName(entry.th32ThreadID);
            if (name && name->Name == kMainThreadName) return entry.th32ThreadID;
        }
        return 0;
    }
};

}  // namespace

void UseCaptureThreadNames() {
    static const CaptureThreadNames* names = new CaptureThreadNames;
    SetReportThreadNames(names);
}

Ref<TBugReport> StartExceptionReport(const Ref<TCrashException>& exception, bool background, bool with_reporter_threads) {
    TCrashException& e = *exception;
    TReportRequest request;
    request.Settings = Ref<INXSettings>(static_cast<INXSettings*>(&e));
    TReportFailure& f = request.Failure;
    f.Facts.Time = e.ExceptTime();
    f.Facts.Number = e.Params().Number;
    f.Facts.Frozen = e.Kind() == ekFrozen;
    f.Facts.ClassName = e.ExceptClass();
    f.Facts.Message = e.ExceptMessage();
    f.Address = e.ExceptAddress();
    f.ThreadId = e.CrashedThreadId();
    f.External = e.ExceptObject().External;
    if (const TProcessorContext* c = e.Context())
        f.Context = CpuRegisters{c->Eax, c->Ebx, c->Ecx, c->Edx, c->Esi, c->Edi, c->Eip, c->Esp, c->Ebp};
    request.StackLow = e.StackPointer();
    request.StackHigh = e.ExceptObject().StackBase;
    request.FramePointer = e.FramePointer();
    request.PreparedStack = e.PreparedStack();
    request.RuntimeTerminated = e.Source() == esBcbTermination;
    request.Background = background;
    request.WithReporterThreads = with_reporter_threads;
    request.Header = e.Fields();
    request.Sections = e.Sections();
    request.AbortFlag = &e.AbortFlag();
    const Ref<TBugReport> report = CreateReport(request);
    // The exception object learns the checksums and becomes complete with its report (also
    // when its completion was stopped: what waits for it must not wait in vain); the report
    // runs this while it is alive.
    TBugReport* r = report.get();
    report->WhenFinished([exception, r] {
        exception->SetCallstackCrcs(r->CallstackCrc(0), r->CallstackCrc(1), r->CallstackCrc(2));
        exception->MarkComplete();
    });
    return report;
}

bool SaveExceptionReport(TCrashException& exception, const std::string& file_name) {
    const std::string path = file_name.empty() ? AutoSaveReportPath(exception) : file_name;
    return SaveReportFile(path, exception.ReportText(), report_file_rules(exception));
}

}  // namespace roadsum
