// How a new report goes into the report file: overwrite, or append after merging a repeated
// report into it (the earlier copy goes, a "count" field tells how often it happened) and after
// dropping the oldest reports to keep the file under its size limit.
//
// The plan is made over the file's bytes and then carried out in place on the same buffer, so
// that the Windows side can do both on a mapping of the file without copying it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace roadsum {

class INXSettings;

// When a report counts as a repetition of an earlier one.
enum class DuplicateDefinition : int {
    None = -1,           // no merging
    CrashLocation = 0,   // the first checksum
    CrashingThread = 1,  // the first two
    AllThreads = 2,      // all three
};

struct ReportFileRules {
    bool Append = true;
    DuplicateDefinition Exceptions = DuplicateDefinition::CrashingThread;
    DuplicateDefinition Freezes = DuplicateDefinition::AllThreads;
    std::int64_t SizeLimit = 0;  // bytes; 0 for none
};

// AppendBugReps, NoDupExcepts/DupExceptDef, NoDupFreezes/DupFreezeDef and BugRepFileSize.
ReportFileRules report_file_rules(const INXSettings& settings);

struct ReportFileMerge {
    // Byte ranges [first, second) of the old file that go, ascending and apart.
    std::vector<std::pair<std::size_t, std::size_t>> Removed;
    // What is written after the rest: the report (with "count" when it repeats an earlier one)
    // and two CR LF.
    std::string Written;
    std::uint64_t Count = 1;  // how often the report has happened
    std::size_t NewSize = 0;  // of the file afterwards
};

// The plan for putting `report` into a file that holds `file`.
ReportFileMerge plan_report_merge(std::string_view file, std::string_view report, const ReportFileRules& rules);

// Carries the plan out on the file's bytes: the kept parts move down, the new text follows.
// buffer holds old_size bytes and has room for max(old_size, plan.NewSize).
void apply_report_merge(std::uint8_t* buffer, std::size_t old_size, const ReportFileMerge& plan);

// The header fields of one report text (the lines before its first empty line) by label.
std::string_view report_header_value(std::string_view report, std::string_view label, bool* found = nullptr);

}  // namespace roadsum
