// The time from a fault to the complete report of a process with ten threads, under Wine or on
// Windows: nine workers recurse to their own depth and wait, the main thread writes to address
// 0. The top-level exception filter makes the report and completes it right there, and the
// completion's progress tells when each section was done. Prints, in milliseconds:
//   header (system facts, thread list, header plug-ins, placeholders), stacks (the ten threads),
//   registers (cpu registers and stack dump), disassembly, plug-ins (modules, processes,
//   hardware), total
// Each run is a process of its own, as a real fault is: the caches start empty.
//
// Usage: report_time_win32.exe   (one line per run)
#include <windows.h>

#include <cstdio>
#include <memory>
#include <string>

#include "crash/report/report_creation_win32.h"
#include "crash/report/report_plugins.h"
#include "crash/settings/settings_win32.h"

#include "ten_thread_process_win32.h"

namespace {

using roadsum::bench::now_ms;
using roadsum::bench::TWorker;

double fault_time, last_time;
double header_ms, stacks_ms, registers_ms, disassembly_ms, plugins_ms;

class Timing final : public roadsum::ReportProgress {
public:
    void Position(int done, int, std::string_view section) override {
        const double t = now_ms();
        const double spent = t - last_time;
        last_time = t;
        if (done == 0) header_ms = spent;
        else if (section == "cpu registers" || section == "stack dump") registers_ms += spent;
        else if (section == "disassembling") disassembly_ms += spent;
        else if (roadsum::FindReportPlugin(section)) plugins_ms += spent;
        else stacks_ms += spent;
    }
};

std::unique_ptr<roadsum::ReportProgress> timing(const roadsum::INXSettings&) { return std::make_unique<Timing>(); }

LONG WINAPI report_failure(EXCEPTION_POINTERS* pointers) {
    fault_time = last_time = now_ms();
    const CONTEXT& c = *pointers->ContextRecord;
    roadsum::TReportRequest request;
    request.Settings = roadsum::Ref<roadsum::INXSettings>(roadsum::RulingSettings().get());
    request.Failure.Facts.ClassName = "EAccessViolation";
    request.Failure.Facts.Message = "Access violation";
    request.Failure.Address = c.Eip;
    request.Failure.External = true;
    request.Failure.Context = roadsum::CpuRegisters{c.Eax, c.Ebx, c.Ecx, c.Edx, c.Esi, c.Edi, c.Eip, c.Esp, c.Ebp};
    request.Background = false;
    const roadsum::Ref<roadsum::TBugReport> report = roadsum::CreateReport(request);
    const double total = now_ms() - fault_time;
    std::printf("header %.1f, stacks %.1f, registers %.1f, disassembly %.1f, plug-ins %.1f, total %.1f ms%s\n",
                header_ms, stacks_ms, registers_ms, disassembly_ms, plugins_ms, total,
                report->Complete() ? "" : " (incomplete)");
    std::fflush(stdout);
    ExitProcess(report->Complete() ? 0 : 1);
}

}  // namespace

int main() {
    TWorker::StartAll();
    roadsum::SetPleaseWaitWindow(timing);
    SetUnhandledExceptionFilter(report_failure);
    TWorker::Fault(nullptr);
    return 2;
}
