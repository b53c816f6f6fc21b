#include <windows.h>

#include "crash/debuginfo/map_file_win32.h"
#include "crash/pages/page_handlers.h"
#include "crash/process/tda_try_read.h"

namespace roadsum {

// The function in the executable's debug information, read in place in this process.
std::optional<std::uint32_t> find_page_handler_in_program(std::string_view text) {
    const std::shared_ptr<const TMapFile> map = MapFileOfModule(reinterpret_cast<std::uintptr_t>(GetModuleHandleA(nullptr)));
    if (!map) return std::nullopt;
    const TDATryRead memory;
    return find_page_handler(*map, memory, text);
}

}  // namespace roadsum
