// 32-bit PE image files made in memory for the tests: a code and a data section, resources
// (named or numbered types and names), debug directory entries whose data follows the
// sections in the file, further sections (long names through the string table, as the GNU
// linker writes ".debug_info") and a COFF symbol table.
#pragma once

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace roadsum::testing {

struct TestPe {
    using Id = std::variant<std::string, std::uint16_t>;
    struct Resource {
        Id type, name;
        std::string data;
    };
    struct DebugEntry {
        std::uint32_t type = 0;
        std::string data;
    };
    struct Section {
        std::string name;
        std::string bytes;
    };
    struct Symbol {
        std::string name;  // for a ".file" record (storage 103): the file name
        std::uint32_t value = 0;
        std::int16_t section = 1;
        std::uint16_t type = 0x20;  // a function
        std::uint8_t storage = 2;   // external
    };

    std::uint32_t image_base = 0x00400000;
    std::uint32_t code_size = 0x3000;  // .text at 0x1000
    std::uint32_t data_size = 0x800;   // .data after it
    std::vector<Resource> resources;
    std::vector<DebugEntry> debug;
    std::vector<Section> more_sections;  // after the others, neither code nor data
    std::vector<Symbol> symbols;

    static constexpr std::uint32_t kCodeRva = 0x1000;
    std::uint32_t data_rva() const;
    std::string build() const;
};

}  // namespace roadsum::testing
