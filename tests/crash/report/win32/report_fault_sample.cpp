// A program that fails on purpose: an access violation in its main thread while two worker
// threads of its own wait (one of them suspended). The top-level exception filter makes the
// report as the reporter does (completion in its own thread, the failing thread waiting) and
// saves it into the file named on the command line; the exit code is 3 when it was saved.
// Usage: report_fault_sample REPORT_FILE
#include <windows.h>

#include <cstdio>
#include <string>

#include "crash/report/report_creation_win32.h"
#include "crash/report/report_file_win32.h"
#include "crash/report/report_threads_win32.h"
#include "crash/settings/settings_win32.h"
#include "report_fault_sample.h"

namespace {

std::string report_file;
DWORD main_thread = 0;

// What the thread-name list of the reporter would know about this program's threads.
class SampleThreadNames final : public roadsum::ReportThreadNames {
public:
    DWORD worker = 0, sleeper = 0;
    std::optional<roadsum::ReportThreadName> Find(std::uint32_t id) const override {
        if (id == main_thread) return roadsum::ReportThreadName{"main thread", "", 0, 0};
        if (id == worker) return roadsum::ReportThreadName{"worker", "TSampleThread", main_thread, 0};
        if (id == sleeper) return roadsum::ReportThreadName{"", "", main_thread, 0};
        return std::nullopt;
    }
    std::uint32_t MainThreadId() const override { return main_thread; }
};
SampleThreadNames names;

struct TFaultSample {
    static DWORD WINAPI Wait(void* event);
    static void CrashOnPurpose(volatile int* target);
};

__attribute__((noinline)) DWORD WINAPI TFaultSample::Wait(void* event) {
    WaitForSingleObject(static_cast<HANDLE>(event), INFINITE);
    return 0;
}

__attribute__((noinline)) void TFaultSample::CrashOnPurpose(volatile int* target) {
    *target = 24;  static_assert(__LINE__ == roadsum::testing::kFaultLine, "the test looks for the fault here");
}

LONG WINAPI report_failure(EXCEPTION_POINTERS* pointers) {
    const CONTEXT& c = *pointers->ContextRecord;
    roadsum::TReportRequest request;
    request.Settings = roadsum::Ref<roadsum::INXSettings>(roadsum::RulingSettings().get());
    request.Failure.Facts.ClassName = "EAccessViolation";
    char message[160];
    std::snprintf(message, sizeof message,
                  "Access violation at address %08lX in module 'report_fault_sample.exe'. Write of address %08lX",
                  static_cast<unsigned long>(c.Eip),
                  static_cast<unsigned long>(pointers->ExceptionRecord->ExceptionInformation[1]));
    request.Failure.Facts.Message = message;
    request.Failure.Address = static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(pointers->ExceptionRecord->ExceptionAddress));
    request.Failure.External = true;
    request.Failure.Context = roadsum::CpuRegisters{c.Eax, c.Ebx, c.Ecx, c.Edx, c.Esi, c.Edi, c.Eip, c.Esp, c.Ebp};
    const roadsum::Ref<roadsum::TBugReport> report = roadsum::CreateReport(request);
    const bool complete = report->WaitComplete(60000);
    const bool saved = roadsum::SaveReport(*report, report_file);
    ExitProcess(complete && saved ? 3 : 4);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return 100;
    report_file = argv[1];
    main_thread = GetCurrentThreadId();
    roadsum::SetReportThreadNames(&names);
    const HANDLE never = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    CreateThread(nullptr, 0, TFaultSample::Wait, never, 0, &names.worker);
    CreateThread(nullptr, 0, TFaultSample::Wait, never, CREATE_SUSPENDED, &names.sleeper);
    Sleep(50);  // the worker reaches its wait
    SetUnhandledExceptionFilter(report_failure);
    TFaultSample::CrashOnPurpose(nullptr);
    return 0;
}
