// The memory query of the own process, in the portable region form.
#pragma once

#include <cstdint>

#include "crash/process/address_space_snapshot.h"

namespace roadsum {

// The region containing address; false when the system query fails (beyond the address space).
bool query_memory_region(std::uint32_t address, MemoryRegion& out);

}  // namespace roadsum
