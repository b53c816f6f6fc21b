// A reading position in one DWARF section, for the line table and debug information readers.
// Running past the end throws DwarfBroken, which the readers turn into an error text.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "crash/common/bounded_bytes.h"

namespace roadsum {

struct DwarfBroken {
    const char* what;
};

class DwarfCursor {
public:
    explicit DwarfCursor(std::string_view data, std::uint64_t at = 0) : data_(data), at_(at) {}

    std::uint64_t at() const { return at_; }
    void seek(std::uint64_t at) { at_ = at; }
    bool done(std::uint64_t end) const { return at_ >= end; }

    std::uint8_t u8() {
        std::uint8_t v = 0;
        if (!data_.u8(at_, v)) throw DwarfBroken{"DWARF data cut short"};
        ++at_;
        return v;
    }
    std::uint16_t u16() {
        std::uint16_t v = 0;
        if (!data_.u16(at_, v)) throw DwarfBroken{"DWARF data cut short"};
        at_ += 2;
        return v;
    }
    std::uint32_t u32() {
        std::uint32_t v = 0;
        if (!data_.u32(at_, v)) throw DwarfBroken{"DWARF data cut short"};
        at_ += 4;
        return v;
    }
    std::uint64_t u64() {
        const std::uint64_t low = u32();
        return low | std::uint64_t{u32()} << 32;
    }
    // An unsigned value of 1, 2, 3, 4 or 8 bytes.
    std::uint64_t sized(unsigned size) {
        switch (size) {
            case 1: return u8();
            case 2: return u16();
            case 3: {
                const std::uint64_t low = u16();
                return low | std::uint64_t{u8()} << 16;
            }
            case 4: return u32();
            case 8: return u64();
            default: throw DwarfBroken{"unsupported value size"};
        }
    }
    std::uint64_t uleb() {
        std::uint64_t v = 0;
        for (int shift = 0;; shift += 7) {
            const std::uint8_t b = u8();
            if (shift < 64) v |= std::uint64_t{b & 0x7Fu} << shift;
            if ((b & 0x80) == 0) return v;
        }
    }
    std::int64_t sleb() {
        std::int64_t v = 0;
        int shift = 0;
        std::uint8_t b = 0;
        do {
            b = u8();
            if (shift < 64) v |= static_cast<std::int64_t>(std::uint64_t{b & 0x7Fu} << shift);
            shift += 7;
        } while (b & 0x80);
        if (shift < 64 && (b & 0x40)) v |= -(std::int64_t{1} << shift);
        return v;
    }
    std::string cstring() {
        std::string s;
        for (char c = static_cast<char>(u8()); c != '\0'; c = static_cast<char>(u8())) s += c;
        return s;
    }
    void skip(std::uint64_t n) {
        if (!data_.has(at_, n)) throw DwarfBroken{"DWARF data cut short"};
        at_ += n;
    }

private:
    BoundedBytes data_;
    std::uint64_t at_;
};

// The zero-terminated text at offset in a string section.
inline std::string dwarf_string_at(std::string_view section, std::uint64_t offset) {
    if (offset >= section.size()) throw DwarfBroken{"string offset outside its section"};
    const std::string_view rest = section.substr(offset);
    return std::string(rest.substr(0, rest.find('\0')));
}

}  // namespace roadsum
