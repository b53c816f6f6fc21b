// The COFF symbol table that the GNU linker leaves in an executable, and the long section
// names (".debug_line" is stored as "/4") that point into its string table.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "crash/process/pe_headers.h"

namespace roadsum {

struct CoffSymbol {
    std::string name;
    std::uint32_t value = 0;
    std::int16_t section = 0;  // 1-based; 0 and below: no section
    std::uint16_t type = 0;
    std::uint8_t storage = 0;
    std::string file;  // the source file named by the last ".file" record before it

    bool is_function() const { return (type & 0x30) == 0x20; }
    static constexpr std::uint8_t kExternal = 2, kStatic = 3, kFile = 103;
};

// Symbols in table order; ".file" records are folded into the symbols after them.
std::vector<CoffSymbol> read_coff_symbols(std::string_view file, const PeHeaders& headers);

// A section's full name: "/N" resolved through the string table.
std::string section_name(std::string_view file, const PeHeaders& headers, const PeSectionHeader& section);

// The bytes a section stores in the file (up to its virtual size; less where the file ends).
std::string_view stored_bytes(std::string_view file, const PeSectionHeader& section);

// The raw bytes of the named section (up to its virtual size), or empty.
std::string_view section_bytes(std::string_view file, const PeHeaders& headers, std::string_view name);

}  // namespace roadsum
