#include "crash/report/crash_listing.h"

#include <algorithm>

#include "crash/x86/function_listing.h"
#include "crash/x86/map_file_symbols.h"

namespace roadsum {

std::string crash_function_listing(const std::shared_ptr<const TMapFile>& map, bool main_module,
                                   const MemoryReader& memory, std::uint32_t crash_address, bool format, int limit) {
    if (!map || !map->Loaded) return {};
    const TMfPublic function = map->FindPublic(crash_address);
    if (function.Address == 0 || function.Name.empty()) return {};
    const MapFileSymbols symbols(map, main_module);
    ListingOptions options;
    options.crash_address = crash_address;
    options.format = format;
    options.limit = limit;
    options.line_number = [map](std::uint32_t address) { return std::max(0, map->FindLine(address).Line); };
    return disassemble_function(function.Address, memory, &symbols, runtime_routines(*map), options);
}

}  // namespace roadsum
