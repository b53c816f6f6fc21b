// The call-stack checksums that recognise a crash again: crc1 names the crash location, crc2
// the whole stack. Both are built from function-relative offsets and lower-cased names, so
// they do not change when a module loads elsewhere.
#pragma once

#include <cstdint>
#include <string_view>

namespace roadsum {

struct CallstackCrc {
    std::uint32_t Crc1 = 0, Crc2 = 0;
    bool Any = false;  // a line was added

    // One printed line: its address, the function start (0 when unknown), module, unit and
    // function names.
    void AddLine(std::uint32_t address, std::uint32_t function_start, std::string_view module, std::string_view unit,
                 std::string_view function);
};

// The reporter's lower-casing for the checksums: A to Z and the bytes C4, D6 and DC.
char LowerForCrc(char c);

}  // namespace roadsum
