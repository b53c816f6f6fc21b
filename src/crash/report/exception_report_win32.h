// The whole report of an exception object that the capture made: its header fields and
// sections filled by this room's completion, its checksums and complete mark set when that is
// done, and its saving into the report file. The capture's handling calls these where it
// starts and auto-saves a report.
#pragma once

#include <string>

#include "crash/capture/crash_exception.h"
#include "crash/report/bug_report.h"

namespace roadsum {

// Starts the report: the header and placeholders at once, the rest in a completion thread
// (background) or before this returns. With reporter threads, the reporter's own threads are
// listed too (a trace of the whole process).
Ref<TBugReport> StartExceptionReport(const Ref<TCrashException>& exception, bool background,
                                     bool with_reporter_threads = false);

// Saves the exception's report text under its settings' rules (into the file named, else the
// automatic save's); false when it was not saved. Saved into the report file, the exception
// is marked saved.
bool SaveExceptionReport(TCrashException& exception, const std::string& file_name = {});

// The capture's thread-name list as the report reads it.
void UseCaptureThreadNames();

}  // namespace roadsum
