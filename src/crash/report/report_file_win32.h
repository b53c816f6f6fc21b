// Saving reports into the report file on disk. The file is held exclusively while it is merged
// and written (another process that writes the same file waits a little and tries again), and
// it is rewritten in place through a mapping. A file that cannot be written stays as it was.
#pragma once

#include <string>
#include <string_view>

#include "crash/report/bug_report.h"
#include "crash/report/report_file_merge.h"

namespace roadsum {

// How long a writer waits for another one that holds the file.
inline constexpr unsigned kReportFileWaitMs = 3000;

// Creates missing folders; false when the report was not saved.
bool SaveReportFile(const std::string& path, std::string_view report, const ReportFileRules& rules);

// The file an automatic save writes: BugRepFile with its variables, beside the program unless
// it names a folder of its own.
std::string AutoSaveReportPath(const INXSettings& settings);

// Saves the report's text under its settings' rules; with a name, into that file.
bool SaveReport(const TBugReport& report, const std::string& file_name = {});

}  // namespace roadsum
