// 32-bit PE image files made in memory for the tests: a code and a data section, resources
// (named or numbered types and names) and debug directory entries whose data follows the
// sections in the file.
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

    std::uint32_t image_base = 0x00400000;
    std::uint32_t code_size = 0x3000;  // .text at 0x1000
    std::uint32_t data_size = 0x800;   // .data after it
    std::vector<Resource> resources;
    std::vector<DebugEntry> debug;

    static constexpr std::uint32_t kCodeRva = 0x1000;
    std::uint32_t data_rva() const;
    std::string build() const;
};

}  // namespace roadsum::testing
