#include "crash/sysinfo/module_list.h"

#include "crash/process/file_version.h"
#include "crash/process/memory_region_win32.h"
#include "crash/settings/settings_win32.h"
#include "crash/sysinfo/section_plugins.h"

namespace roadsum {

std::string modules_text() {
    const Win32SettingsEnvironment environment;
    const ModuleSystem system{
        query_memory_region,
        [&](std::uint32_t base) { return environment.module_path(base); },
        file_version_text,
    };
    return format_module_list(collect_modules(system));
}

}  // namespace roadsum
