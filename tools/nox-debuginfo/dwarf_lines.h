// The DWARF line tables (.debug_line, versions 2 to 5) of an executable: per compilation
// unit its file table, its primary source file and the rows of its line programs, each row
// with the file it names (a header's rows name the header).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace roadsum {

struct LineRow {
    std::uint32_t address = 0;
    std::int32_t line = 0;
    std::uint32_t file = 0;  // index into LineUnit::files
};

// One contiguous stretch of code: rows in program order, then the end address.
struct LineSequence {
    std::vector<LineRow> rows;
    std::uint32_t end = 0;
};

struct LineUnit {
    std::uint64_t offset = 0;        // of the table in .debug_line, as DW_AT_stmt_list names it
    std::vector<std::string> files;  // paths, by the index that rows and DW_AT_decl_file use
    std::string source;              // the primary source file
    std::vector<LineSequence> sequences;
};

struct DwarfSections {
    std::string_view line;      // .debug_line
    std::string_view line_str;  // .debug_line_str (version 5 names)
    std::string_view str;       // .debug_str
    std::string_view info;      // .debug_info
    std::string_view abbrev;    // .debug_abbrev
    std::string_view ranges;    // .debug_ranges (versions 2 to 4)
    std::string_view rnglists;  // .debug_rnglists (version 5)
    std::string_view addr;      // .debug_addr (version 5)
};

// The units whose tables could be read; a broken unit ends the reading (the units before it
// stay). error names the problem, empty when there was none.
std::vector<LineUnit> read_line_tables(const DwarfSections& sections, std::string& error);

// A path with "." and "dir/.." steps taken out and '\' read as '/'.
std::string normal_path(std::string_view path);

}  // namespace roadsum
