#include "crash/sysinfo/module_list.h"

#include <cstdio>

#include "crash/sysinfo/list_text.h"

namespace roadsum {

std::vector<TModuleEntry> collect_modules(const ModuleSystem& system) {
    constexpr std::uint32_t kCommitted = 0x1000;
    std::vector<TModuleEntry> modules;
    modules.reserve(32);
    std::uint32_t address = 0;
    std::uint32_t previous_allocation = 0;
    MemoryRegion region;
    while (system.query(address, region) && region.size != 0) {
        // Base 0 is never a module, and a null module handle would name the executable.
        if (region.base != 0 && region.state == kCommitted && region.allocation_base == region.base &&
            region.allocation_base != previous_allocation) {
            std::string path = system.file_name(region.base);
            if (!path.empty()) {
                TModuleEntry& module = modules.emplace_back();
                module.Handle = region.base;
                module.Version = system.file_version(path);
                split_at_last_backslash(path, module.Path, module.Name, true);
            }
        }
        previous_allocation = region.allocation_base;
        const std::uint32_t next = region.base + region.size;
        if (next <= address) break;  // the end of the address space, or a query that does not move on
        address = next;
    }
    return modules;
}

std::string format_module_list(const std::vector<TModuleEntry>& modules) {
    std::vector<TextRow> rows;
    rows.reserve(modules.size());
    for (const TModuleEntry& m : modules) {
        char handle[12];
        std::snprintf(handle, sizeof handle, "%08x", static_cast<unsigned>(m.Handle));
        rows.push_back({handle, m.Name, m.Version, m.Path});
    }
    return format_columns(rows);
}

}  // namespace roadsum
