// The operating system of this machine (Windows).
#pragma once

#include <optional>

#include "crash/sysinfo/os_info.h"

namespace roadsum {

// Read once per process. On the NT family the true version is read, not the one the system's
// compatibility layer reports to programs that do not declare newer systems.
TOSInfo os_info();

// The free system resources in percent (Windows 9x family only; nothing elsewhere).
enum class FreeResources { System = 0, Gdi = 1, User = 2 };
std::optional<int> free_system_resources(FreeResources kind);

}  // namespace roadsum
