// The debug information of a linked executable, made from its COFF symbols and its DWARF
// line tables, functions and inlined calls: segments named after the source file of the
// functions whose code they hold (a header's functions get the header's unit; code without
// DWARF is named after the ".file" record of its symbols), every function symbol as a public,
// and the lines of each function's own source file.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "crash/debuginfo/map_file_types.h"
#include "crash/process/pe_headers.h"

namespace roadsum {

struct UnitLines {
    std::string unit;
    std::string source;          // the source file the lines are of
    std::vector<TMfLine> lines;  // by address
};

struct BuiltDebugInfo {
    PeHeaders headers;
    ModuleLayout layout;  // at the image base
    DebugTables tables;
    std::vector<UnitLines> unit_lines;
    std::uint32_t code_crc = 0;  // CRC-32 of the code section as stored in the file
    std::string warning;         // a line table that could not be read, for the build log
};

std::optional<BuiltDebugInfo> build_debug_info(std::string_view file, std::string& error);

}  // namespace roadsum
