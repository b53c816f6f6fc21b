// The whole crash reporter of a program: capture with the report and the rooms above it joined
// in. The program calls StartReporter first thing; ShutdownCrashReporter (capture) at its end.
#pragma once

#include <cstdint>
#include <string>

#include "crash/capture/capture_win32.h"

namespace roadsum {

// Installs the parts of the report room and of the rooms above it into capture, then starts
// capture. Once is enough; a second call changes nothing.
void StartReporter();

// The automatic save of a report once it is complete: into the report file that the settings
// name, unless AutoSaveIfNotSent holds and the report was sent. True when saved.
bool AutoSaveReport(TCrashException& report);

// The save the user asks for (the save action): a save dialog over `owner`, opened where the
// report file's name says, then the report saved there under the file rules. Refused with a
// beep while the process is blocked (the dialog needs the loader). True when saved.
bool SaveReportInteractively(TCrashException& report, void* owner);

// How long a save waits at most for a report to become complete; it saves what there is then.
inline constexpr std::uint32_t kSaveCompletionPatience = 60000;

}  // namespace roadsum
