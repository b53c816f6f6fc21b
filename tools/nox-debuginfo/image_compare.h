// The checks after the last link: the shipped executable must hold the same code and data at
// the same addresses as the link that the debug information was made from, a correct header
// checksum, and, when its DWARF lies in a side file, a link to exactly that file.
#pragma once

#include <string>
#include <string_view>

namespace roadsum {

// Compares every loaded section except resources and relocations (which lie after code and
// data and may change); result empty when all is equal, else what differs (the section, the
// first differing address and both bytes; or the checksum written and the one computed).
std::string compare_images(std::string_view first, std::string_view second);

// Checks a program whose DWARF and COFF symbols were moved into a side file: the program
// holds no DWARF section and no symbol table, its ".gnu_debuglink" names the side file and
// carries the side file's CRC-32, and the side file holds the symbols and the DWARF and places
// every section that compare_images looks at where the program has it. Result empty when all
// holds, else what does not.
std::string check_debug_link(std::string_view program, std::string_view side_file_name, std::string_view side_file);

}  // namespace roadsum
