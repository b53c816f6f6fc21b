#include "crash/stack/callstack_crc.h"

#include <algorithm>

#include "crash/archive/crc32.h"
#include "crash/common/little_endian.h"

namespace roadsum {

namespace {

std::uint32_t update_lower(std::uint32_t reg, std::string_view text) {
    std::uint8_t chunk[256];
    while (!text.empty()) {
        const std::size_t n = std::min(text.size(), sizeof chunk);
        for (std::size_t i = 0; i < n; ++i) chunk[i] = static_cast<std::uint8_t>(LowerForCrc(text[i]));
        reg = crc32_update(reg, ByteView(chunk, n));
        text.remove_prefix(n);
    }
    return reg;
}

}  // namespace

char LowerForCrc(char c) {
    const auto b = static_cast<unsigned char>(c);
    if ((b >= 'A' && b <= 'Z') || b == 0xC4 || b == 0xD6 || b == 0xDC) return static_cast<char>(b + 32);
    return c;
}

void CallstackCrc::AddLine(std::uint32_t address, std::uint32_t function_start, std::string_view module,
                           std::string_view unit, std::string_view function) {
    std::uint32_t v = address;
    if (function_start != 0 && !module.empty() && !function.empty()) {
        v = update_lower(address - function_start, module);
        if (!unit.empty()) v = update_lower(v, unit);
        v = update_lower(v, function);
    }
    if (!Any) {
        Crc1 = Crc2 = v;
        Any = true;
        return;
    }
    std::uint8_t bytes[4];
    put_le32(bytes, v);
    Crc2 = crc32_update(Crc2, ByteView(bytes, 4));
}

}  // namespace roadsum
