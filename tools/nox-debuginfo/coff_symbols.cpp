#include "coff_symbols.h"

#include <algorithm>
#include <cstring>

#include "crash/common/bounded_bytes.h"

namespace roadsum {

namespace {

constexpr std::size_t kSymbolSize = 18;

std::string zero_terminated(std::string_view bytes) { return std::string(bytes.substr(0, bytes.find('\0'))); }

std::string_view string_table(std::string_view file, const PeHeaders& h) {
    const BoundedBytes b(file);
    const std::uint64_t at = std::uint64_t{h.symbol_table_offset} + std::uint64_t{kSymbolSize} * h.symbol_count;
    std::uint32_t size = 0;
    if (h.symbol_table_offset == 0 || !b.u32(at, size) || size < 4) return {};
    return b.slice(at, std::min<std::uint64_t>(size, file.size() - at));
}

std::string string_at(std::string_view strings, std::uint64_t offset) {
    if (offset >= strings.size()) return {};
    return zero_terminated(strings.substr(offset));
}

}  // namespace

std::vector<CoffSymbol> read_coff_symbols(std::string_view file, const PeHeaders& h) {
    std::vector<CoffSymbol> symbols;
    const BoundedBytes b(file);
    if (h.symbol_table_offset == 0 || !b.has(h.symbol_table_offset, std::uint64_t{kSymbolSize} * h.symbol_count))
        return symbols;
    const std::string_view strings = string_table(file, h);
    std::string current_file;
    for (std::uint32_t i = 0; i < h.symbol_count; ++i) {
        const std::uint64_t at = h.symbol_table_offset + std::uint64_t{kSymbolSize} * i;
        CoffSymbol s;
        std::uint32_t zeros = 0, offset = 0;
        std::uint16_t section = 0;
        std::uint8_t aux = 0;
        b.u32(at, zeros);
        b.u32(at + 4, offset);
        s.name = zeros == 0 ? string_at(strings, offset) : zero_terminated(b.slice(at, 8));
        b.u32(at + 8, s.value);
        b.u16(at + 12, section);
        s.section = static_cast<std::int16_t>(section);
        b.u16(at + 14, s.type);
        b.u8(at + 16, s.storage);
        b.u8(at + 17, aux);
        if (s.storage == CoffSymbol::kFile) {
            // The file name fills the auxiliary records.
            current_file = zero_terminated(b.slice(at + kSymbolSize, std::min<std::uint64_t>(aux, h.symbol_count - i - 1) * kSymbolSize));
        } else {
            s.file = current_file;
            symbols.push_back(std::move(s));
        }
        i += aux;
    }
    return symbols;
}

std::string section_name(std::string_view file, const PeHeaders& h, const PeSectionHeader& section) {
    if (section.name.size() < 2 || section.name[0] != '/') return section.name;
    std::uint64_t offset = 0;
    for (char c : section.name.substr(1)) {
        if (c < '0' || c > '9') return section.name;
        offset = offset * 10 + static_cast<unsigned>(c - '0');
    }
    const std::string name = string_at(string_table(file, h), offset);
    return name.empty() ? section.name : name;
}

std::string_view stored_bytes(std::string_view file, const PeSectionHeader& s) {
    if (s.raw_offset >= file.size()) return {};
    return file.substr(s.raw_offset, std::min(s.raw_size, s.virtual_size));
}

std::string_view section_bytes(std::string_view file, const PeHeaders& h, std::string_view name) {
    const BoundedBytes b(file);
    for (const PeSectionHeader& s : h.sections)
        if (section_name(file, h, s) == name) return b.slice(s.raw_offset, std::min(s.raw_size, s.virtual_size));
    return {};
}

}  // namespace roadsum
