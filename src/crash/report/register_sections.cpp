#include "crash/report/register_sections.h"

#include <algorithm>
#include <cstdio>

namespace roadsum {

std::string cpu_registers_text(const CpuRegisters& r) {
    const std::pair<const char*, std::uint32_t> rows[] = {{"eax", r.Eax}, {"ebx", r.Ebx}, {"ecx", r.Ecx},
                                                          {"edx", r.Edx}, {"esi", r.Esi}, {"edi", r.Edi},
                                                          {"eip", r.Eip}, {"esp", r.Esp}, {"ebp", r.Ebp}};
    std::string text;
    for (const auto& [name, value] : rows) {
        char line[32];
        std::snprintf(line, sizeof line, "%s = %08X", name, static_cast<unsigned>(value));
        if (!text.empty()) text += "\r\n";
        text += line;
    }
    return text;
}

std::string stack_dump_text(const MemoryReader& memory, std::uint32_t stack_pointer, std::uint32_t region_end) {
    constexpr std::uint32_t kLines = 20, kPerLine = 16;
    if (region_end != 0 && region_end <= stack_pointer) return {};
    // region_end 0: the region reaches the top of the address space.
    const std::uint64_t end = region_end ? region_end : 0x100000000ull;
    const std::uint32_t wanted = static_cast<std::uint32_t>(std::min<std::uint64_t>(kLines * kPerLine, end - stack_pointer));
    std::uint8_t bytes[kLines * kPerLine];
    const std::uint32_t count = read_available(memory, stack_pointer, bytes, wanted);
    std::string text;
    static const char kHex[] = "0123456789abcdef";
    for (std::uint32_t line = 0; line * kPerLine < count; ++line) {
        char address[16];
        std::snprintf(address, sizeof address, "%08x  ", static_cast<unsigned>(stack_pointer + line * kPerLine));
        if (!text.empty()) text += "\r\n";
        text += address;
        std::string chars;
        for (std::uint32_t i = 0; i < kPerLine; ++i) {
            const std::uint32_t at = line * kPerLine + i;
            const bool present = at < count;
            if (i == 8) text += present ? "- " : "  ";
            if (!present) {
                text += "   ";
                continue;
            }
            const std::uint8_t b = bytes[at];
            text += kHex[b >> 4];
            text += kHex[b & 15];
            text += ' ';
            chars += b < 33 || b > 126 ? '.' : static_cast<char>(b);
        }
        text += ' ';
        text += chars;
    }
    return text;
}

}  // namespace roadsum
