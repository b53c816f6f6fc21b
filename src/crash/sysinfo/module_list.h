// The "modules" section: every module mapped into the process, in address order, with its
// file version and folder.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "crash/process/address_space_snapshot.h"

namespace roadsum {

struct TModuleEntry {
    std::uint32_t Handle = 0;  // load address
    std::string Name;          // file name
    std::string Path;          // folder with its trailing backslash
    std::string Version;       // file version text
};

struct ModuleSystem {
    // The region containing an address; false beyond the address space.
    std::function<bool(std::uint32_t, MemoryRegion&)> query;
    // The full file name of the module loaded at an address; "" when none is.
    std::function<std::string(std::uint32_t)> file_name;
    std::function<std::string(const std::string&)> file_version;
};

// Walks the address space from 0: a committed region that starts its own allocation, starts a
// different allocation than the region before and has a module file name is a module.
std::vector<TModuleEntry> collect_modules(const ModuleSystem& system);

// One line per module: load address in 8 lower-case hex digits, a blank, the name and the
// version each padded to their column's longest value + 1, the folder.
std::string format_module_list(const std::vector<TModuleEntry>& modules);

}  // namespace roadsum
