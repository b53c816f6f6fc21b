// The threads of this process as a report lists them: in the system's order, with their names,
// creators and thread functions from the thread-name list, their suspended state and priority.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "crash/report/thread_sections.h"

namespace roadsum {

// What the thread-name list knows of a thread.
struct ReportThreadName {
    std::string Name;  // "-" for the reporter's own threads
    std::string ClassName;
    std::uint32_t CreatorThreadId = 0;
    std::uint32_t ThreadFunction = 0;
};

class ReportThreadNames {
public:
    virtual ~ReportThreadNames() = default;
    virtual std::optional<ReportThreadName> Find(std::uint32_t thread_id) const = 0;
    virtual std::uint32_t MainThreadId() const = 0;
};

// The capture hands in its thread-name list; until then the main thread is the oldest thread.
void SetReportThreadNames(const ReportThreadNames* names);

// The reporter's own threads (a completion thread) are named "-" while they run.
void EnterReporterThread(std::uint32_t thread_id);
void LeaveReporterThread(std::uint32_t thread_id);

std::uint32_t ReportMainThreadId();

// Every thread of this process in the order of the system's thread list.
std::vector<TThreadReportRecord> ListProcessThreads();

}  // namespace roadsum
