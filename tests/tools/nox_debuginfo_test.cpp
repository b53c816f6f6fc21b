// The pieces of nox-debuginfo: names of the linker's symbols, DWARF line tables, the text map
// it writes, the settings it marks and the check after the second link.
#include <gtest/gtest.h>

#include <cstdio>
#include <utility>

#include "crash/common/little_endian.h"
#include "crash/debuginfo/map_text_parser.h"
#include "crash/debuginfo/unmangle.h"
#include "crash/process/pe_headers.h"
#include "debug_info_builder.h"
#include "dwarf_lines.h"
#include "image_compare.h"
#include "map_text_writer.h"
#include "settings_patch.h"
#include "symbol_names.h"
#include "test_pe_builder.h"

namespace roadsum::testing {
namespace {

std::string shown(const char* raw, const char* unit = "Unit") { return Unmangle(stored_symbol_name(raw, unit)).name; }

TEST(SymbolNames, CppFunctionsShowAsClassAndMethod) {
    const std::string stored = stored_symbol_name("__ZN7roadsum11TRoadsumFrm17PricelistBtnClickEPNS_7TObjectE", "RoadsumFrm");
    EXPECT_EQ(stored, "@RoadsumFrm@TRoadsumFrm@PricelistBtnClick");
    const UnmangledName u = Unmangle(stored);
    EXPECT_EQ(u.name, "TRoadsumFrm.PricelistBtnClick");
    EXPECT_EQ(u.unit, "RoadsumFrm");
    EXPECT_EQ(shown("__ZN7roadsum11TRoadsumFrmC2Ev"), "TRoadsumFrm.Create");
    EXPECT_EQ(shown("__ZN7roadsum11TRoadsumFrmD1Ev"), "TRoadsumFrm.Destroy");
    EXPECT_EQ(shown("__ZNSt6vectorIiSaIiEE9push_backERKi"), "std.vector<int,std.allocator<int>>.push_back");
    EXPECT_EQ(shown("__ZNSt6vectorIiSaIiEEC1Ev"), "std.vector<int,std.allocator<int>>.Create");
}

TEST(SymbolNames, ScopesReturnTypesOperatorsAndClones) {
    EXPECT_EQ(shown("__ZN7roadsum12_GLOBAL__N_14HookEv"), "Hook");
    EXPECT_EQ(shown("__ZN7roadsum5applyIiEET_S1_"), "apply<int>");
    EXPECT_EQ(shown("__ZN7roadsum4TFoocviEv"), "TFoo.operator_int");
    EXPECT_EQ(shown("__ZN7roadsum4TFooplERKS0_"), "TFoo.operator+");
    EXPECT_EQ(shown("__ZN7roadsum3fooEv.cold"), "foo");
    EXPECT_EQ(shown("__ZThn4_N7roadsum4TFoo3barEv"), "TFoo.bar");
    // A name ending in ')' is closed by '$', so that a text map keeps it whole.
    EXPECT_EQ(stored_symbol_name("__ZN7roadsum4TFooclEi", "Unit"), "@Unit@TFoo@operator()$");
    EXPECT_EQ(shown("__ZZN7roadsum11TRoadsumFrmC4EvENKUlPNS_7TObjectEE_clES2_"),
              "TRoadsumFrm.TRoadsumFrm.{lambda#1}.operator()");
    // Without a unit the name keeps its scope.
    EXPECT_EQ(stored_symbol_name("__ZN7roadsum4TFoo3barEv", ""), "@@TFoo@bar");
    EXPECT_EQ(Unmangle("@@TFoo@bar").name, "TFoo.bar");
}

TEST(SymbolNames, CNamesLoseTheirDecoration) {
    EXPECT_EQ(stored_symbol_name("_WinMain@16", "Main"), "WinMain");
    EXPECT_EQ(stored_symbol_name("@fast@8", "Main"), "fast");
    EXPECT_EQ(stored_symbol_name("_memcpy", "Main"), "memcpy");
    EXPECT_EQ(stored_symbol_name("__Znot_really", "Main"), "_Znot_really");
}

TEST(SymbolNames, LongNamesFitAPackedString) {
    std::string raw = "__ZN7roadsum4TFoo3barISt6vectorIiSaIiEE";
    for (int i = 0; i < 40; ++i) raw += "S2_";  // more template arguments
    raw += "EEvv";
    const std::string stored = stored_symbol_name(raw, "Unit");
    EXPECT_LE(stored.size(), 255u);
    EXPECT_EQ(stored.rfind("@Unit@TFoo@bar", 0), 0u) << stored;
}

TEST(SymbolNames, UnitsFromSourceFiles) {
    EXPECT_EQ(unit_name_of_source("/work/src/ui/roadsum_frm.cpp"), "RoadsumFrm");
    EXPECT_EQ(unit_name_of_source("C:\\x\\main.c"), "Main");
    EXPECT_EQ(unit_name_of_source("x86_decoder.cpp"), "X86Decoder");
    EXPECT_EQ(unit_name_of_source("cygming-crtbeg.c"), "CygmingCrtbeg");
    EXPECT_EQ(unit_name_of_source(""), "");
}

// Line programs assembled by hand.
struct LineProgram {
    std::string bytes;
    void u8(unsigned v) { bytes += static_cast<char>(v); }
    void u16(unsigned v) { u8(v & 0xFF), u8(v >> 8 & 0xFF); }
    void u32(std::uint32_t v) { u16(v & 0xFFFF), u16(v >> 16); }
    void uleb(std::uint32_t v) {
        do {
            const unsigned b = v & 0x7F;
            v >>= 7;
            u8(v ? b | 0x80 : b);
        } while (v);
    }
    void text(const std::string& s) { bytes += s + '\0'; }
    void set_address(std::uint32_t a) { u8(0), u8(5), u8(2), u32(a); }
    void end_sequence() { u8(0), u8(1), u8(1); }
};

// A unit: length, version, the header (from min_inst on) and the program.
std::string line_unit(unsigned version, const std::string& tables, const std::string& program) {
    LineProgram h;
    h.u8(1);          // minimum instruction length
    if (version >= 4) h.u8(1);  // operations per instruction
    h.u8(1);          // default is_stmt
    h.u8(0xFB);       // line base -5
    h.u8(14);         // line range
    h.u8(13);         // opcode base
    for (unsigned n : {0, 1, 1, 1, 1, 0, 0, 0, 1, 0, 0, 1}) h.u8(n);
    h.bytes += tables;
    LineProgram u;
    u.u16(version);
    if (version >= 5) u.u8(4), u.u8(0);
    u.u32(static_cast<std::uint32_t>(h.bytes.size()));
    u.bytes += h.bytes + program;
    LineProgram whole;
    whole.u32(static_cast<std::uint32_t>(u.bytes.size()));
    return whole.bytes + u.bytes;
}

TEST(DwarfLines, VersionFourTableWithSpecialOpcodes) {
    LineProgram t;
    t.text("/inc");
    t.u8(0);
    for (const char* f : {"main.h", "main.cpp"}) t.text(f), t.uleb(1), t.uleb(0), t.uleb(0);
    t.u8(0);
    LineProgram p;
    p.set_address(0x401000);
    p.u8(3), p.uleb(9);  // line 10
    p.u8(1);             // copy
    p.u8(76);            // special: address +4, line +2
    p.u8(2), p.uleb(8);  // address +8
    p.end_sequence();
    const std::string line = line_unit(4, t.bytes, p.bytes);
    std::string error;
    const auto units = read_line_tables({line, {}, {}}, error);
    EXPECT_EQ(error, "");
    ASSERT_EQ(units.size(), 1u);
    EXPECT_EQ(units[0].source, "main.cpp");
    ASSERT_EQ(units[0].sequences.size(), 1u);
    const LineSequence& s = units[0].sequences[0];
    ASSERT_EQ(s.rows.size(), 2u);
    EXPECT_EQ(s.rows[0].address, 0x401000u);
    EXPECT_EQ(s.rows[0].line, 10);
    EXPECT_EQ(s.rows[1].address, 0x401004u);
    EXPECT_EQ(s.rows[1].line, 12);
    EXPECT_EQ(s.end, 0x40100Cu);
}

TEST(DwarfLines, VersionFiveTableNamesItsUnitByFileZero) {
    const std::string line_str = std::string("roadsum_frm.cpp") + '\0' + "header.h" + '\0';
    LineProgram t;
    t.u8(1), t.uleb(1), t.uleb(0x08);  // directories: path as a string
    t.uleb(1), t.text("/src");
    t.u8(2), t.uleb(1), t.uleb(0x1F), t.uleb(2), t.uleb(0x0F);  // files: path in .debug_line_str, directory
    t.uleb(2), t.u32(0), t.uleb(0), t.u32(16), t.uleb(0);
    LineProgram p;
    p.set_address(0x402000);
    p.u8(3), p.uleb(168);
    p.u8(1);
    p.u8(2), p.uleb(0x10), p.u8(3), p.uleb(3), p.u8(1);  // 0x402010 line 172
    p.u8(8);                                             // address +17
    p.u8(9), p.u16(0x0F);                                // address +15
    p.u8(4), p.uleb(1);                                  // another file: no row by itself
    p.u8(1);
    p.end_sequence();
    std::string error;
    const auto units = read_line_tables({line_unit(5, t.bytes, p.bytes), line_str, {}}, error);
    EXPECT_EQ(error, "");
    ASSERT_EQ(units.size(), 1u);
    EXPECT_EQ(units[0].source, "roadsum_frm.cpp");
    const LineSequence& s = units[0].sequences.at(0);
    ASSERT_EQ(s.rows.size(), 3u);
    EXPECT_EQ(s.rows[1].address, 0x402010u);
    EXPECT_EQ(s.rows[1].line, 172);
    EXPECT_EQ(s.rows[2].address, 0x402030u);
}

TEST(DwarfLines, BrokenUnitEndsTheReadingAndKeepsThoseBefore) {
    LineProgram t;
    t.u8(0), t.text("a.c"), t.uleb(0), t.uleb(0), t.uleb(0), t.u8(0);
    LineProgram p;
    p.set_address(0x401000), p.u8(1), p.end_sequence();
    const std::string good = line_unit(3, t.bytes, p.bytes);
    for (const std::string& bad : {good.substr(0, good.size() - 4), line_unit(6, t.bytes, p.bytes)}) {
        std::string error;
        const auto units = read_line_tables({good + bad, {}, {}}, error);
        EXPECT_NE(error, "");
        ASSERT_EQ(units.size(), 1u);
        EXPECT_EQ(units[0].source, "a.c");
    }
}

TEST(MapTextWriter, WhatItWritesReadsBack) {
    BuiltDebugInfo info;
    info.headers.image_base = 0x400000;
    info.headers.sections.push_back({".text", 0x1000, 0x3000, 0x400, 0x3000, 0x60000020});
    info.headers.sections.push_back({".data", 0x4000, 0x100, 0x3400, 0x200, 0xC0000040});
    info.layout.CodeStart = 0x401000;
    info.layout.CodeEnd = 0x404000;
    info.layout.DataStart = 0x404000;
    TMfSegment a{true, true, 0x401000, 0x800, "A", 0}, b{true, true, 0x401800, 0x1800, "ALongerUnitNameThanTheColumn", 0};
    info.tables.Segments = {a, b};
    info.tables.Publics = {{true, true, "WinMain", 0x401000}, {true, true, "@ALongerUnitNameThanTheColumn@TFoo@operator()$", 0x401800}};
    info.unit_lines = {{"A", "/src/a.cpp", {{1, 0x401000}, {2, 0x401004}, {3, 0x401008}, {4, 0x40100C}, {1000000, 0x401010}}}};
    info.tables.Lines = info.unit_lines[0].lines;
    info.tables.EntryAddress = 0x401004;

    const std::string text = write_map_text(info);
    DebugTables back;
    parse_map_text(text, info.layout, back);
    ASSERT_EQ(back.Segments.size(), 2u);
    EXPECT_EQ(back.Segments[1].Name, "ALongerUnitNameThanTheColumn");
    EXPECT_EQ(back.Segments[1].Length, 0x1800u);
    ASSERT_EQ(back.Publics.size(), 2u);
    EXPECT_EQ(back.Publics[1].Name, info.tables.Publics[1].Name);
    ASSERT_EQ(back.Lines.size(), 5u);
    EXPECT_EQ(back.Lines[4].Line, 1000000);
    EXPECT_EQ(back.EntryAddress, 0x401004u);
    EXPECT_EQ(map_text_code_address(text), 0x401000u);
}

std::string compiled_settings(const std::string& value) {
    std::string s = "TPF0\x0ATNoxExcept\x09noxExcept\x07" "Enabled\x09\x0CMinDebugInfo\x06";
    return s + static_cast<char>(value.size()) + value + std::string(2, '\0');
}

TEST(SettingsPatch, IdentificationReplacesThePlaceholder) {
    std::string s = compiled_settings("$00000000, $00000000, $00000000");
    const std::size_t size = s.size();
    std::string error;
    ASSERT_TRUE(set_min_debug_info(s, "$00009a0f, $bada6376, $fd78c897", error)) << error;
    EXPECT_EQ(s.size(), size);
    EXPECT_EQ(s, compiled_settings("$00009a0f, $bada6376, $fd78c897"));

    std::string shorter = compiled_settings("$0");
    EXPECT_FALSE(set_min_debug_info(shorter, "$00009a0f, $bada6376, $fd78c897", error));
    std::string none = "TPF0\x0ATNoxExcept\x09noxExcept\x07" "Enabled\x09" + std::string(2, '\0');
    EXPECT_FALSE(set_min_debug_info(none, "$00009a0f, $bada6376, $fd78c897", error));
    EXPECT_NE(error, "");
}

std::string with_checksum(std::string file) {
    const PeFileImage image(file);
    const auto h = read_pe_headers(image);
    put_le32(reinterpret_cast<std::uint8_t*>(&file[h->checksum_offset]), pe_file_checksum(file, h->checksum_offset));
    return file;
}

TEST(ImageCompare, ResourcesMayDifferCodeAndChecksumMayNot) {
    TestPe first;
    TestPe second = first;
    second.resources.push_back({"NOX", "EXCEPT", "debug information"});
    const std::string a = with_checksum(first.build()), b = with_checksum(second.build());
    EXPECT_EQ(compare_images(a, b), "");

    TestPe longer = first, moved = first;
    longer.code_size += 0x1000;
    moved.image_base = 0x10000000;
    std::string changed = b;
    changed[0x400 + 0x10] = changed[0x400 + 0x20] = '\x90';  // two bytes of the code
    std::string unchecked = b, unwritten = b;
    unchecked[unchecked.size() - 1] ^= 1;
    const std::uint32_t field = read_pe_headers(PeFileImage(b))->checksum_offset;
    unwritten.replace(field, 4, 4, '\0');
    char sums[80];
    std::snprintf(sums, sizeof sums, "the header checksum is 0x%08x but the file sums to 0x%08x",
                  get_le32(reinterpret_cast<const std::uint8_t*>(&b[field])), pe_file_checksum(unchecked, field));

    const std::pair<std::string, std::string> cases[] = {
        {with_checksum(longer.build()), "section .text changed its size from 0x00003000 to 0x00004000"},
        {with_checksum(moved.build()), "the image base moved from 0x00400000 to 0x10000000"},
        {with_checksum(changed), "section .text differs in 2 bytes, first at 0x00401010 (0xcc in the first file, 0x90 in the second)"},
        {unchecked, sums},
        {unwritten, "the header checksum is 0 (not written)"},
    };
    for (const auto& [spoilt, difference] : cases) EXPECT_EQ(compare_images(a, spoilt), difference);
}

}  // namespace
}  // namespace roadsum::testing
