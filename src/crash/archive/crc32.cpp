#include "crash/archive/crc32.h"

#include <array>

#include "crash/common/little_endian.h"

namespace roadsum {
namespace {

using Table = std::array<std::uint32_t, 256>;

// tables[0] is the classic table of the register update; tables[k] advance a byte that lies
// k further positions back, so eight bytes are folded in per round (the same result as eight
// single-byte steps, several times faster on large reports).
constexpr std::array<Table, 8> make_tables() {
    std::array<Table, 8> tables{};
    for (std::uint32_t n = 0; n < 256; ++n) {
        std::uint32_t c = n;
        for (int bit = 0; bit < 8; ++bit) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        tables[0][n] = c;
    }
    for (std::size_t k = 1; k < tables.size(); ++k)
        for (std::uint32_t n = 0; n < 256; ++n)
            tables[k][n] = (tables[k - 1][n] >> 8) ^ tables[0][tables[k - 1][n] & 0xFF];
    return tables;
}

constexpr std::array<Table, 8> kTables = make_tables();

}  // namespace

std::uint32_t crc32_update(std::uint32_t reg, ByteView bytes) {
    const std::uint8_t* p = bytes.data();
    std::size_t left = bytes.size();
    for (; left >= 8; left -= 8, p += 8) {
        const std::uint32_t one = get_le32(p) ^ reg;
        const std::uint32_t two = get_le32(p + 4);
        reg = kTables[7][one & 0xFF] ^ kTables[6][one >> 8 & 0xFF] ^ kTables[5][one >> 16 & 0xFF] ^
              kTables[4][one >> 24] ^ kTables[3][two & 0xFF] ^ kTables[2][two >> 8 & 0xFF] ^
              kTables[1][two >> 16 & 0xFF] ^ kTables[0][two >> 24];
    }
    for (; left > 0; --left, ++p) reg = kTables[0][(reg ^ *p) & 0xFF] ^ (reg >> 8);
    return reg;
}

}  // namespace roadsum
