// The report assistants joined to the reporter: capture runs them through the runner
// registered here, and the pages find the contact and screenshot handlers by their names.
#pragma once

#include <cstdint>
#include <string>

#include "crash/capture/crash_exception.h"
#include "crash/capture/handling_flow.h"

namespace roadsum {

// Registers the assistant runner and the two built-in page handlers (with the registry memory
// and the shell editor behind them). Called once at start-up, before failures are handled.
void InstallAssistants();

// The named assistant of the report, its pages read from `module`'s resources, shown modally
// over `owner` (a window, or null), which loses its topmost state meanwhile.
TAssistantResult ShowReportAssistant(TCrashException& report, const std::string& name, void* owner,
                                     std::uintptr_t module);

}  // namespace roadsum
