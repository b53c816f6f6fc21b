// The DWARF line tables (.debug_line, versions 2 to 5) of an executable: per compilation
// unit its primary source file and the rows of its line programs.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace roadsum {

struct LineRow {
    std::uint32_t address = 0;
    std::int32_t line = 0;
};

// One contiguous stretch of code: rows in program order, then the end address.
struct LineSequence {
    std::vector<LineRow> rows;
    std::uint32_t end = 0;
};

struct LineUnit {
    std::string source;  // the primary source file, as the table names it
    std::vector<LineSequence> sequences;
};

struct DwarfSections {
    std::string_view line;      // .debug_line
    std::string_view line_str;  // .debug_line_str (version 5 names)
    std::string_view str;       // .debug_str
};

// The units whose tables could be read; a broken unit ends the reading (the units before it
// stay). error names the problem, empty when there was none.
std::vector<LineUnit> read_line_tables(const DwarfSections& sections, std::string& error);

}  // namespace roadsum
