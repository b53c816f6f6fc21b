// DWARF sections assembled by hand for the tests of nox-debuginfo: little-endian values,
// LEB128 numbers, texts, line programs and unit headers.
#pragma once

#include <cstdint>
#include <string>

namespace roadsum::testing {

struct DwarfBytes {
    std::string bytes;

    std::uint32_t size() const { return static_cast<std::uint32_t>(bytes.size()); }
    DwarfBytes& u8(unsigned v) {
        bytes += static_cast<char>(v & 0xFF);
        return *this;
    }
    DwarfBytes& u16(unsigned v) { return u8(v).u8(v >> 8); }
    DwarfBytes& u32(std::uint32_t v) { return u16(v & 0xFFFF).u16(v >> 16); }
    DwarfBytes& uleb(std::uint64_t v) {
        do {
            const unsigned b = v & 0x7F;
            v >>= 7;
            u8(v ? b | 0x80 : b);
        } while (v);
        return *this;
    }
    DwarfBytes& text(const std::string& s) {
        bytes += s + '\0';
        return *this;
    }
    DwarfBytes& raw(const std::string& s) {
        bytes += s;
        return *this;
    }
    // Line program instructions.
    DwarfBytes& set_address(std::uint32_t a) { return u8(0).u8(5).u8(2).u32(a); }
    DwarfBytes& end_sequence() { return u8(0).u8(1).u8(1); }
    DwarfBytes& advance_line(int by) {  // DW_LNS_advance_line, with a signed LEB128 step
        u8(3);
        for (bool more = true; more;) {
            const unsigned b = static_cast<unsigned>(by) & 0x7F;
            by >>= 7;
            more = !((by == 0 && !(b & 0x40)) || (by == -1 && (b & 0x40)));
            u8(more ? b | 0x80 : b);
        }
        return *this;
    }
};

// A line table unit: length, version, the header (from the minimum instruction length on,
// with the opcode lengths of the standard opcodes), the file tables and the program.
inline std::string line_unit(unsigned version, const std::string& tables, const std::string& program) {
    DwarfBytes h;
    h.u8(1);                     // minimum instruction length
    if (version >= 4) h.u8(1);   // operations per instruction
    h.u8(1);                     // default is_stmt
    h.u8(0xFB);                  // line base -5
    h.u8(14);                    // line range
    h.u8(13);                    // opcode base
    for (unsigned n : {0, 1, 1, 1, 1, 0, 0, 0, 1, 0, 0, 1}) h.u8(n);
    h.bytes += tables;
    DwarfBytes u;
    u.u16(version);
    if (version >= 5) u.u8(4).u8(0);
    u.u32(h.size());
    u.bytes += h.bytes + program;
    return DwarfBytes().u32(u.size()).bytes + u.bytes;
}

// A unit of .debug_info: the header and the entries (which count offsets from the start of
// what this returns).
inline std::string info_unit(unsigned version, std::uint32_t abbrev_offset, const std::string& entries) {
    DwarfBytes u;
    u.u16(version);
    if (version >= 5)
        u.u8(1).u8(4).u32(abbrev_offset);  // a compile unit, 4-byte addresses
    else
        u.u32(abbrev_offset).u8(4);
    u.bytes += entries;
    return DwarfBytes().u32(u.size()).bytes + u.bytes;
}

// Size of the header info_unit puts before the entries.
inline std::uint32_t info_header_size(unsigned version) { return version >= 5 ? 12 : 11; }

}  // namespace roadsum::testing
