// The link from a stripped program to the side file that holds its DWARF and its COFF
// symbols: the ".gnu_debuglink" section as objcopy --add-gnu-debuglink writes it and gdb
// reads it (the file name, zero-terminated and padded to four bytes, then the file's CRC-32).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "crash/process/pe_headers.h"

namespace roadsum {

struct DebugLink {
    std::string file_name;
    std::uint32_t crc = 0;
};

// nullopt when the program has no such section, or a broken one.
std::optional<DebugLink> read_debug_link(std::string_view file, const PeHeaders& headers);

}  // namespace roadsum
