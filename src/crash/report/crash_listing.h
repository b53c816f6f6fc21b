// The "disassembling" section: the function that holds the crash address, listed from its entry
// with the crash line marked, the source lines beside the instructions and the line limit.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "crash/debuginfo/map_file.h"
#include "crash/process/memory_reader.h"

namespace roadsum {

// "" when the module's debug information names no function at the address.
std::string crash_function_listing(const std::shared_ptr<const TMapFile>& map, bool main_module,
                                   const MemoryReader& memory, std::uint32_t crash_address, bool format, int limit);

}  // namespace roadsum
