#include "crash/process/memory_region_win32.h"

#include <windows.h>

namespace roadsum {

bool query_memory_region(std::uint32_t address, MemoryRegion& out) {
    MEMORY_BASIC_INFORMATION mbi{};
    if (VirtualQuery(reinterpret_cast<const void*>(static_cast<std::uintptr_t>(address)), &mbi, sizeof mbi) != sizeof mbi)
        return false;
    out.base = static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(mbi.BaseAddress));
    out.size = static_cast<std::uint32_t>(mbi.RegionSize);
    out.state = mbi.State;
    out.protect = mbi.Protect;
    out.allocation_base = static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(mbi.AllocationBase));
    return true;
}

}  // namespace roadsum
