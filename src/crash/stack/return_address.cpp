#include "crash/stack/return_address.h"

#include <initializer_list>

namespace roadsum {

bool LooksLikeReturnAddress(const MemoryReader& memory, std::uint32_t address) {
    std::uint8_t bytes[8];
    if (address < 8 || !memory.try_read(address - 8, bytes, 8)) return false;
    const auto before = [&](int k) { return bytes[8 - k]; };  // the byte at address - k
    if (before(5) == 0xE8 || before(7) == 0x9A) return true;
    // An FF opcode whose ModRM byte has register field 2 or 3.
    for (int k : {2, 3, 4, 6, 7})
        if (before(k) == 0xFF && (before(k - 1) & 0x30) == 0x10) return true;
    return false;
}

}  // namespace roadsum
