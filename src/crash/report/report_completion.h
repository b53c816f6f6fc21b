// Making a report: the header and every section's placeholder at once, then the completion, which
// fills in the crashing thread's stack, "cpu registers", "stack dump", "disassembling", the
// section plug-ins and the other threads' stacks, in that order, each replacing its placeholder
// as soon as it is done. A step that fails leaves an internal-error line in its section.
#pragma once

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "crash/process/memory_reader.h"
#include "crash/report/bug_report.h"

namespace roadsum {

// One traced stack.
struct TThreadTrace {
    bool Readable = false;  // false: the stack could not be read at all
    std::string Text;       // the call-stack lines, innermost first, the thread function last
    std::uint32_t Crc1 = 0, Crc2 = 0;  // crash location and whole stack
};

// What completing a report asks of the process; the running process answers on Windows, tests
// answer with fakes. Any of these may throw: the step becomes an internal-error line.
class ReportSources {
public:
    virtual ~ReportSources() = default;
    virtual TThreadTrace TraceThread(const TBugReport& report, const TThreadReportRecord& thread) = 0;
    // One address as a call-stack line.
    virtual std::string FormatAddress(std::uint32_t address) = 0;
    virtual const MemoryReader& Memory() = 0;
    // The exclusive end of the memory region that holds the address (0: the top of the address
    // space); nothing when the address lies in no committed region.
    virtual std::optional<std::uint32_t> RegionEnd(std::uint32_t address) = 0;
    virtual bool HasDebugInfo(std::uint32_t address) = 0;
    // The listing of the function that holds the address; "" when there is none.
    virtual std::string Disassembly(std::uint32_t address, bool format, int limit) = 0;
    // The line of the place that raised the failure of a step, when it is known.
    virtual std::string FailurePlace() { return {}; }
};

// The progress of a completion, for the please-wait window: 0 of total when it starts, then
// once after each section with the section's title.
class ReportProgress {
public:
    virtual ~ReportProgress() = default;
    // Before the first step: each step's weight, a thread's its stack size, other steps 0.
    virtual void Plan(const std::vector<std::uint64_t>& /*weights*/) {}
    virtual void Position(int done, int total, std::string_view section) = 0;
};

inline constexpr const char* kCpuRegistersTitle = "cpu registers";
inline constexpr const char* kStackDumpTitle = "stack dump";
inline constexpr const char* kDisassemblingTitle = "disassembling";

// The threads a report lists: for an exception the crashing thread first, then (with
// ListThreads) the main thread and the others in the system's order; for a freeze the main
// thread first. Threads named "-" (the reporter's own) only when asked for.
std::vector<TThreadReportRecord> order_report_threads(std::vector<TThreadReportRecord> threads,
                                                      std::uint32_t crashing_thread, std::uint32_t main_thread,
                                                      bool list_threads, bool with_reporter_threads);

// The header (with the header plug-ins' fields) and every section's placeholder, at once.
void start_report(TBugReport& report, ReportSources& sources, const SystemFacts& system,
                  std::vector<TThreadReportRecord> threads);

// Fills in every section and then the checksums. Stops between steps when the report is told to.
void complete_report(TBugReport& report, ReportSources& sources, ReportProgress* progress = nullptr);

}  // namespace roadsum
