// The text map a linker writes beside the module (".map"): the segment table, the detailed
// map of segments (one segment per unit), the publics by value, the line numbers of each
// unit and the program entry point. Columns count from 0.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "crash/debuginfo/map_file_types.h"

namespace roadsum {

// Reads what the text holds into out (segments and publics sorted by address, lines in the
// order read). Lines that do not have the expected layout are skipped. The code segments'
// offsets count from layout.CodeStart, those of the data segment from layout.DataStart.
void parse_map_text(std::string_view text, const ModuleLayout& layout, DebugTables& out);

// The address that the segment table gives for ".text", where the map's code starts when
// the module is not at hand.
std::optional<std::uint32_t> map_text_code_address(std::string_view text);

}  // namespace roadsum
