#include "crash/diag/crc32.h"

#include <array>

namespace roadsum {
namespace {

constexpr std::array<std::uint32_t, 256> make_table() {
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t n = 0; n < 256; ++n) {
        std::uint32_t c = n;
        for (int bit = 0; bit < 8; ++bit) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[n] = c;
    }
    return table;
}

constexpr std::array<std::uint32_t, 256> kTable = make_table();

}  // namespace

std::uint32_t crc32_update(std::uint32_t reg, ByteView bytes) {
    for (std::uint8_t b : bytes) reg = kTable[(reg ^ b) & 0xFF] ^ (reg >> 8);
    return reg;
}

}  // namespace roadsum
