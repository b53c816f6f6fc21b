// Which source file and which of its lines every stretch of code belongs to, as a report
// should show it: the file of the function whose code it is (for a function defined in a
// header, the header) and, for code inlined from elsewhere, the line of the outermost inlined
// call, which lies in that file. A function split into a hot and a cold part gives a piece
// for each.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "crash/debuginfo/map_file_types.h"
#include "dwarf_functions.h"
#include "dwarf_lines.h"

namespace roadsum {

struct CodePiece {
    std::uint32_t start = 0, end = 0;
    std::string source;          // the function's source file
    std::vector<TMfLine> lines;  // lines of that file, by address; the first at start when known
};

// Pieces by address, without overlaps, inside [code_start, code_end): one per range of each
// function, and one per stretch of code that only a line table describes (assembly). Where
// units describe the same code (a function the linker kept once), the first unit wins.
std::vector<CodePiece> code_pieces(const std::vector<LineUnit>& line_units, const std::vector<InfoUnit>& info_units,
                                   std::uint32_t code_start, std::uint32_t code_end);

}  // namespace roadsum
