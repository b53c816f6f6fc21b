// Small debug tables for the tests: two code units, a few functions and their lines.
#pragma once

#include "crash/debuginfo/map_file_types.h"

namespace roadsum::testing {

inline constexpr std::uint32_t kCodeStart = 0x00401000;

inline TMfSegment code_segment(std::uint32_t start, std::uint32_t length, const char* name) {
    TMfSegment s;
    s.IsCode = s.Used = true;
    s.Start = start;
    s.Length = length;
    s.Name = name;
    return s;
}

inline TMfPublic code_public(std::uint32_t address, const char* name) {
    TMfPublic p;
    p.IsCode = p.Used = true;
    p.Address = address;
    p.Name = name;
    return p;
}

// Unit "Main" at 0x401000 (0x100 bytes), unit "RoadsumFrm" at 0x401100 (0x200 bytes).
inline DebugTables sample_tables() {
    DebugTables t;
    t.Segments = {code_segment(0x401000, 0x100, "Main"), code_segment(0x401100, 0x200, "RoadsumFrm")};
    t.Publics = {code_public(0x401000, "WinMain"), code_public(0x401100, "@RoadsumFrm@TRoadsumFrm@PricelistBtnClick"),
                 code_public(0x401180, "@RoadsumFrm@TRoadsumFrm@$ctor"), code_public(0x4012F0, "@RoadsumFrm@Helper")};
    t.Lines = {{7, 0x401000}, {9, 0x401010}, {169, 0x401100}, {172, 0x401120}, {40000, 0x401180}, {41, 0x4012F0}};
    t.EntryAddress = 0x401000;
    return t;
}

}  // namespace roadsum::testing
