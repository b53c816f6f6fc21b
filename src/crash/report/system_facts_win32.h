// What the report header says about this machine and this program, read from the system. Any
// fact that cannot be read is left empty, so its field is left out.
#pragma once

#include "crash/report/report_header.h"
#include "crash/settings/crash_settings.h"

namespace roadsum {

// settings: the report's settings; they name the module examined and its version.
SystemFacts GatherSystemFacts(const INXSettings& settings);

// The program may keep its command line out of reports (it is shown by default).
void SetCommandLineInReports(bool show);

// The committed memory of this process outside loaded module images.
std::int64_t AllocatedMemory();

}  // namespace roadsum
