// A small program's DWARF, assembled by hand for the tests of nox-debuginfo: a version 5 unit
// with range lists, indexed addresses, inlined calls, a header function and cold parts, a
// version 4 unit with .debug_ranges, and a line table of assembly code.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <utility>

#include "dwarf_bytes.h"
#include "dwarf_lines.h"

namespace roadsum::testing {

// Line programs: standard opcodes by number.
enum : unsigned { kCopy = 1, kAdvancePc = 2, kSetFile = 4 };

// Forms and attributes the sample uses.
enum : unsigned {
    kAddr = 0x01, kData2 = 0x05, kData4 = 0x06, kString = 0x08, kData1 = 0x0b, kStrp = 0x0e, kUdata = 0x0f,
    kRef4 = 0x13, kSecOffset = 0x17, kExprloc = 0x18, kFlagPresent = 0x19, kImplicitConst = 0x21, kRnglistx = 0x23,
    kAddrx1 = 0x29,
};

// The sample program's DWARF (code 0x401000 to 0x404000). Unit 1 (version 5), line table 1, files /src/widget.cpp (0
// and 1), /inc/vec.h (2), /inc/alloc.h (3):
//   Paint   [401000,401010) and cold [402000,402010), widget.cpp:9; alloc.h code inlined at
//           [401004,401008) and [402000,402008) from line 11 (with a call inlined into that),
//           more inlined at [40100c,40100e) from line 13 inside a lexical block; alloc.h rows
//           without inline entries at 40100a and 402008; its last row at 40200c, line 15
//   size    [401010,401018), defined in vec.h:4 (through its declaration); a row at 401018,
//           the end of its code, in the padding
//   Draw    [401020,401030) and cold [402010,402018) (no row of its own there), line 29
//           through its abstract origin
//   Lone    [401030,401038), an indexed address, no rows, line 40
// Unit 2 (version 4), line table 2 (dup.cpp, tail.cpp): Dup at [401010,401018) again, which
// the first unit already describes, and Tail at [403010,403018) through .debug_ranges.
// Line table 3 (version 3, start.s, no unit): assembly at [403000,403008).
struct DwarfSample {
    std::string line, line_str, str = std::string("Vec") + '\0', info, abbrev, ranges, rnglists, addr;
    std::uint32_t line2 = 0, line3 = 0;  // offsets of the second and third line tables
    std::uint32_t info1 = 0;             // size of the first unit

    DwarfSample() {
        make_lines();
        make_abbreviations();
        make_ranges();
        make_units();
    }

    DwarfSections sections() const {
        DwarfSections s;
        s.line = line, s.line_str = line_str, s.str = str, s.info = info, s.abbrev = abbrev;
        s.ranges = ranges, s.rnglists = rnglists, s.addr = addr;
        return s;
    }

private:
    void make_lines() {
        DwarfBytes t5;
        t5.u8(1).uleb(1).uleb(kString).uleb(2).text("/src").text("/inc");
        t5.u8(2).uleb(1).uleb(kString).uleb(2).uleb(kUdata).uleb(4);
        t5.text("widget.cpp").uleb(0).text("widget.cpp").uleb(0).text("vec.h").uleb(1).text("alloc.h").uleb(1);
        DwarfBytes p;
        p.set_address(0x401000).advance_line(9).u8(kCopy);                           // 10
        p.u8(kSetFile).uleb(3).advance_line(690).u8(kAdvancePc).uleb(4).u8(kCopy);   // 401004 alloc.h:700
        p.u8(kSetFile).uleb(1).advance_line(-688).u8(kAdvancePc).uleb(4).u8(kCopy);  // 401008 :12
        p.u8(kSetFile).uleb(3).advance_line(698).u8(kAdvancePc).uleb(2).u8(kCopy);   // 40100a alloc.h:710
        p.u8(kSetFile).uleb(2).advance_line(-705).u8(kAdvancePc).uleb(6).u8(kCopy);  // 401010 vec.h:5
        p.advance_line(1).u8(kAdvancePc).uleb(4).u8(kCopy);                          // 401014 vec.h:6
        p.u8(kAdvancePc).uleb(4).u8(kCopy);                                          // 401018 padding
        p.u8(kSetFile).uleb(1).advance_line(24).u8(kAdvancePc).uleb(8).u8(kCopy);    // 401020 :30
        p.u8(kAdvancePc).uleb(0x18).end_sequence();                                  // to 401038
        p.set_address(0x402000).u8(kSetFile).uleb(3).advance_line(732).u8(kCopy);    // 402000 alloc.h:733
        p.advance_line(7).u8(kAdvancePc).uleb(8).u8(kCopy);                          // 402008 alloc.h:740
        p.u8(kSetFile).uleb(1).advance_line(-725).u8(kAdvancePc).uleb(4).u8(kCopy);  // 40200c :15
        p.u8(kAdvancePc).uleb(0xc).end_sequence();                                   // to 402018
        line = line_unit(5, t5.bytes, p.bytes);

        line2 = static_cast<std::uint32_t>(line.size());
        DwarfBytes t4;
        t4.u8(0).text("dup.cpp").uleb(0).uleb(0).uleb(0).text("tail.cpp").uleb(0).uleb(0).uleb(0).u8(0);
        DwarfBytes p4;
        p4.set_address(0x401010).u8(kCopy).u8(kAdvancePc).uleb(8).end_sequence();
        p4.set_address(0x403010).u8(kSetFile).uleb(2).advance_line(49).u8(kCopy);
        p4.advance_line(1).u8(kAdvancePc).uleb(4).u8(kCopy).u8(kAdvancePc).uleb(4).end_sequence();
        line += line_unit(4, t4.bytes, p4.bytes);

        line3 = static_cast<std::uint32_t>(line.size());
        DwarfBytes t3;
        t3.u8(0).text("start.s").uleb(0).uleb(0).uleb(0).u8(0);
        DwarfBytes p3;
        p3.set_address(0x403000).advance_line(2).u8(kCopy).advance_line(1).u8(kAdvancePc).uleb(4).u8(kCopy);
        p3.u8(kAdvancePc).uleb(4).end_sequence();
        line += line_unit(3, t3.bytes, p3.bytes);
    }

    // Codes: 1 unit (version 5), 2 structure, 3 declaration, 4 function with ranges,
    // 5 function by its declaration, 6 abstract function, 7 function by its origin, 8 and 9
    // inlined calls, 10 lexical block, 11 function with two addresses, 12 function with ranges
    // and a frame base, 13 function at an indexed address, 14 unit (version 4).
    void make_abbreviations() {
        DwarfBytes a;
        const auto abbreviation = [&](unsigned code, unsigned tag, bool children,
                                      std::initializer_list<std::pair<unsigned, unsigned>> attributes) {
            a.uleb(code).uleb(tag).u8(children);
            for (auto [name, form] : attributes) {
                a.uleb(name).uleb(form);
                if (form == kImplicitConst) a.uleb(1);  // the value: 1
            }
            a.u8(0).u8(0);
        };
        abbreviation(1, 0x11, true,
                     {{0x10, kSecOffset}, {0x11, kAddr}, {0x55, kRnglistx}, {0x74, kSecOffset}, {0x73, kSecOffset},
                      {0x03, kString}});
        abbreviation(2, 0x13, true, {{0x03, kStrp}});
        abbreviation(3, 0x2e, false, {{0x03, kString}, {0x3a, kData1}, {0x3b, kData1}, {0x3c, kFlagPresent}});
        abbreviation(4, 0x2e, true, {{0x55, kSecOffset}, {0x3a, kData1}, {0x3b, kData1}});
        abbreviation(5, 0x2e, false, {{0x11, kAddr}, {0x12, kData4}, {0x47, kRef4}});
        abbreviation(6, 0x2e, false, {{0x03, kString}, {0x3a, kImplicitConst}, {0x3b, kData2}, {0x20, kData1}});
        abbreviation(7, 0x2e, false, {{0x55, kSecOffset}, {0x31, kRef4}});
        abbreviation(8, 0x1d, true, {{0x55, kSecOffset}, {0x58, kData1}, {0x59, kData1}});
        abbreviation(9, 0x1d, false, {{0x11, kAddr}, {0x12, kData4}, {0x58, kData1}, {0x59, kData1}});
        abbreviation(10, 0x0b, true, {{0x11, kAddr}, {0x12, kData4}});
        abbreviation(11, 0x2e, false, {{0x11, kAddr}, {0x12, kAddr}, {0x3a, kData1}, {0x3b, kData1}});
        abbreviation(12, 0x2e, false, {{0x55, kSecOffset}, {0x40, kExprloc}, {0x3a, kData1}, {0x3b, kData1}});
        abbreviation(13, 0x2e, false, {{0x11, kAddrx1}, {0x12, kData4}, {0x3a, kData1}, {0x3b, kData1}});
        abbreviation(14, 0x11, true, {{0x10, kSecOffset}, {0x11, kAddr}, {0x55, kSecOffset}});
        a.u8(0);
        abbrev = a.bytes;
    }

    // Range lists, their offsets in the order the units use them.
    std::uint32_t unit_list = 0, paint_list = 0, call_list = 0, draw_list = 0, unit2_ranges = 0, tail_ranges = 0;
    static constexpr std::uint32_t kRnglistsHeader = 12;

    void make_ranges() {
        DwarfBytes l;  // after the header and one offset
        const auto start_length = [&](std::uint32_t s, unsigned n) { l.u8(7).u32(s).uleb(n); };
        unit_list = l.size();
        start_length(0x401000, 0x38), start_length(0x402000, 0x18), l.u8(0);
        paint_list = l.size();
        l.u8(5).u32(0x401000).u8(4).uleb(0).uleb(0x10);  // base address, offset pair
        l.u8(6).u32(0x402000).u32(0x402010).u8(0);       // start and end
        call_list = l.size();
        start_length(0x401004, 4);
        l.u8(1).uleb(1).u8(4).uleb(0).uleb(8).u8(0);  // base address by index (402000), offset pair
        draw_list = l.size();
        start_length(0x401020, 0x10), start_length(0x402010, 8), l.u8(0);
        DwarfBytes r;
        r.u16(5).u8(4).u8(0).u32(1).u32(4 + unit_list).raw(l.bytes);
        rnglists = DwarfBytes().u32(r.size()).bytes + r.bytes;
        for (std::uint32_t* offset : {&paint_list, &call_list, &draw_list}) *offset += kRnglistsHeader + 4;

        DwarfBytes d;  // version 4: pairs relative to the base, 0xFFFFFFFF selects a base
        unit2_ranges = d.size();
        d.u32(0x10).u32(0x18).u32(0xFFFFFFFF).u32(0x403000).u32(0x10).u32(0x18).u32(0).u32(0);
        tail_ranges = d.size();
        d.u32(0xFFFFFFFF).u32(0x403010).u32(0).u32(8).u32(0).u32(0);
        ranges = d.bytes;

        DwarfBytes x;
        x.u16(5).u8(4).u8(0).u32(0x401030).u32(0x402000);
        addr = DwarfBytes().u32(x.size()).bytes + x.bytes;
    }

    void make_units() {
        DwarfBytes e;
        const std::uint32_t base = info_header_size(5);
        e.uleb(1).u32(0).u32(0).uleb(0).u32(kRnglistsHeader).u32(8).text("widget.cpp");
        e.uleb(2).u32(0);
        const std::uint32_t size_declaration = base + e.size();
        e.uleb(3).text("size").u8(2).u8(4);
        e.u8(0);
        const std::uint32_t draw_origin = base + e.size();
        e.uleb(6).text("Draw").u16(29).u8(1);
        e.uleb(4).u32(paint_list).u8(1).u8(9);
        e.uleb(8).u32(call_list).u8(1).u8(11);
        e.uleb(9).u32(0x401004).u32(2).u8(3).u8(72);
        e.u8(0);
        e.uleb(10).u32(0x401008).u32(8);
        e.uleb(9).u32(0x40100c).u32(2).u8(1).u8(13);
        e.u8(0);
        e.u8(0);
        e.uleb(5).u32(0x401010).u32(8).u32(size_declaration);
        e.uleb(7).u32(draw_list).u32(draw_origin);
        e.uleb(13).u8(0).u32(8).u8(1).u8(40);
        e.u8(0);
        info = info_unit(5, 0, e.bytes);
        info1 = static_cast<std::uint32_t>(info.size());

        DwarfBytes e4;
        e4.uleb(14).u32(line2).u32(0x401000).u32(unit2_ranges);
        e4.uleb(11).u32(0x401010).u32(0x401018).u8(1).u8(1);
        e4.uleb(12).u32(tail_ranges).uleb(1).u8(0x9c).u8(2).u8(49);
        e4.u8(0);
        info += info_unit(4, 0, e4.bytes);
    }
};

}  // namespace roadsum::testing
