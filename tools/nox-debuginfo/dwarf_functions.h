// The functions that DWARF debug information (.debug_info, versions 2 to 5) describes: per
// compilation unit its code ranges and line table, per function with code its ranges (a
// function split into a hot and a cold part has two), the file and line where it is defined,
// and the calls inlined into it at the outermost level, each with its ranges and the place of
// the call.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "dwarf_lines.h"

namespace roadsum {

struct AddressRange {
    std::uint32_t start = 0, end = 0;  // end excluded
};

// A file as the file table of one line table numbers it.
struct FileRef {
    static constexpr std::uint64_t kNoTable = ~std::uint64_t{0};
    std::uint64_t table = kNoTable;  // offset of the line table in .debug_line
    std::uint64_t index = 0;
    bool known() const { return table != kNoTable; }
};

struct InlinedCall {
    std::vector<AddressRange> ranges;
    FileRef file;  // where the call is
    std::int32_t line = 0;
};

struct DwarfFunction {
    std::vector<AddressRange> ranges;  // in the order the entry gives them
    FileRef file;                      // where it is defined, through its declaration or origin
    std::int32_t line = 0;
    std::vector<InlinedCall> calls;    // not those inlined into inlined code
};

struct InfoUnit {
    std::uint64_t line_table = FileRef::kNoTable;  // DW_AT_stmt_list
    std::vector<AddressRange> ranges;              // empty when the unit names none
    std::vector<DwarfFunction> functions;
};

// The units that could be read; a broken unit ends the reading (the units before it stay).
// error names the problem, empty when there was none.
std::vector<InfoUnit> read_debug_info(const DwarfSections& sections, std::string& error);

}  // namespace roadsum
