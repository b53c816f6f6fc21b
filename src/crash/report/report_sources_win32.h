// The report's sources in this process: stacks traced through the stack tracer (other threads
// suspended while they are traced, the code read once for all traces), memory through the
// fault-tolerant reader, the debug information of the process's modules.
#pragma once

#include "crash/process/tda_try_read.h"
#include "crash/report/report_completion.h"
#include "crash/stack/stack_trace_win32.h"

namespace roadsum {

class ProcessReportSources final : public ReportSources {
public:
    explicit ProcessReportSources(const INXSettings& settings);

    TThreadTrace TraceThread(const TBugReport& report, const TThreadReportRecord& thread) override;
    std::string FormatAddress(std::uint32_t address) override;
    const MemoryReader& Memory() override { return memory_; }
    std::optional<std::uint32_t> RegionEnd(std::uint32_t address) override;
    bool HasDebugInfo(std::uint32_t address) override;
    std::string Disassembly(std::uint32_t address, bool format, int limit) override;

private:
    bool hide_ugly_items_, show_rel_addrs_, show_rel_lines_;
    TDATryRead memory_;
    TraceSession session_;  // the report's traces share the code they read
};

// How long another thread stays suspended for its trace at most: a thread suspended while it
// holds a lock that the trace needs (the heap's) must not stop the report.
inline constexpr unsigned kSuspendedTraceMs = 1000;

}  // namespace roadsum
