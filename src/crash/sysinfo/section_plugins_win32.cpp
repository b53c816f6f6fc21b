#include "crash/sysinfo/section_plugins.h"

namespace roadsum {

const std::array<SectionPlugin, 3>& section_plugins() {
    static const std::array<SectionPlugin, 3> plugins = {{
        {"modules", "list of loaded modules", true, modules_text},
        {"processes", "list of running processes", true, processes_text},
        {"hardware", "list of installed hardware", true, hardware_text},
    }};
    return plugins;
}

}  // namespace roadsum
