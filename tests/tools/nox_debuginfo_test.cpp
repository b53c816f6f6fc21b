// The pieces of nox-debuginfo: names of the linker's symbols, the text map it writes, the
// settings it marks and the check after the second link. (Its DWARF readers: dwarf_reading_test.)
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <optional>
#include <utility>

#include "crash/common/little_endian.h"
#include "crash/debuginfo/map_file.h"
#include "crash/debuginfo/map_text_parser.h"
#include "crash/debuginfo/packed_debug_stream.h"
#include "crash/debuginfo/unmangle.h"
#include "crash/process/pe_headers.h"
#include "debug_info_builder.h"
#include "dwarf_sample.h"
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

// The parts the compiler splits off a function (a cold part, a part, a specialised copy) show
// the function's own name, stdcall functions included.
TEST(SymbolNames, PartsOfAFunctionShareItsName) {
    const std::pair<const char*, const char*> cases[] = {
        {"_WinMain@16.cold", "WinMain"},
        {"_pthread_once.cold", "pthread_once"},
        {"___pthread_self_lite.part.0.cold", "__pthread_self_lite"},
        {"__pthread_once_raw.constprop.0.isra.0.cold", "_pthread_once_raw"},
        {"__ZN7roadsum14ToolkitWndProcEP6HWND__jjl@16", "ToolkitWndProc"},
        {"__ZN7roadsum14ToolkitWndProcEP6HWND__jjl@16.cold", "ToolkitWndProc"},
        {"__ZN7roadsum7TThread5StartEPv@4.cold", "TThread.Start"},
        {"__ZN7roadsum3fooEv.part.0", "foo"},
    };
    for (auto [raw, name] : cases) EXPECT_EQ(shown(raw), name) << raw;
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

std::vector<std::string> names_of(const std::vector<TMfPublic>& publics) {
    std::vector<std::string> names;
    for (const TMfPublic& p : publics) names.push_back(p.Name);
    return names;
}

TEST(MapTextWriter, WhatItWritesReadsBack) {
    BuiltDebugInfo info;
    info.headers.image_base = 0x400000;
    info.headers.sections.push_back({".text", 0x1000, 0x3000, 0x400, 0x3000, 0x60000020});
    info.headers.sections.push_back({".data", 0x4000, 0x100, 0x3400, 0x200, 0xC0000040});
    info.layout.CodeStart = 0x401000;
    info.layout.CodeEnd = 0x404000;
    info.layout.DataStart = 0x404000;
    TMfSegment a{true, true, 0x401000, 0x800, "A", 0}, b{true, true, 0x401800, 0x1800, "ALongerUnitNameThanTheColumn", 0},
        c{true, true, 0x403000, 0x800, "Sched", 0};
    info.tables.Segments = {a, b, c};
    // Names that begin like their unit's name keep their beginning; a public outside every
    // segment has no unit to put before it.
    info.tables.Publics = {{true, true, "WinMain", 0x401000},
                           {true, true, "a_thing", 0x401100},
                           {true, true, "@ALongerUnitNameThanTheColumn@TFoo@operator()$", 0x401800},
                           {true, true, "sched_yield", 0x403000},
                           {true, true, "outside", 0x403900}};
    info.unit_lines = {{"A", "/src/a.cpp", {{1, 0x401000}, {2, 0x401004}, {3, 0x401008}, {4, 0x40100C}, {1000000, 0x401010}}}};
    info.tables.Lines = info.unit_lines[0].lines;
    info.tables.EntryAddress = 0x401004;

    const std::string text = write_map_text(info);
    DebugTables back;
    parse_map_text(text, info.layout, back);
    ASSERT_EQ(back.Segments.size(), 3u);
    EXPECT_EQ(back.Segments[1].Name, "ALongerUnitNameThanTheColumn");
    EXPECT_EQ(back.Segments[1].Length, 0x1800u);
    EXPECT_EQ(names_of(back.Publics), names_of(info.tables.Publics));
    EXPECT_NE(text.find("Sched.sched_yield"), std::string::npos);
    ASSERT_EQ(back.Lines.size(), 5u);
    EXPECT_EQ(back.Lines[4].Line, 1000000);
    EXPECT_EQ(back.EntryAddress, 0x401004u);
    EXPECT_EQ(map_text_code_address(text), 0x401000u);
}

// Every public of a real program's map reads back with its own name and address, as the
// packed stream gives it.
TEST(MapTextWriter, EveryPublicOfAProgramReadsBackWithItsName) {
    std::ifstream in(ROADSUM_MAP_SAMPLE_PROGRAM, std::ios::binary);
    const std::string file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::string error;
    const std::optional<BuiltDebugInfo> info = build_debug_info(file, error);
    ASSERT_TRUE(info) << ROADSUM_MAP_SAMPLE_PROGRAM << ": " << error;
    ASSERT_GT(info->tables.Publics.size(), 1000u);
    DebugTables back;
    parse_map_text(write_map_text(*info), info->layout, back);
    ASSERT_EQ(back.Publics.size(), info->tables.Publics.size());
    for (std::size_t i = 0; i < back.Publics.size(); ++i) {
        EXPECT_EQ(back.Publics[i].Name, info->tables.Publics[i].Name);
        EXPECT_EQ(back.Publics[i].Address, info->tables.Publics[i].Address);
    }
}

// The sample program of dwarf_sample.h linked into a PE file with its symbols; crt_helper has
// no debug information, only the ".file" record of its object; operator new has a cold part
// known only by its input section, operator new[] one with its own label.
std::string sample_program() {
    const DwarfSample d;
    TestPe pe;
    pe.more_sections = {{".debug_line", d.line},   {".debug_line_str", d.line_str}, {".debug_str", d.str},
                        {".debug_info", d.info},   {".debug_abbrev", d.abbrev},     {".debug_ranges", d.ranges},
                        {".debug_rnglists", d.rnglists}, {".debug_addr", d.addr}};
    pe.symbols = {{"__ZN6Widget5PaintEv", 0x0},
                  {"__ZN3Vec4sizeEv", 0x10},
                  {"__ZN6Widget4DrawEv", 0x20},
                  {"_Lone", 0x30},
                  {"__ZN6Widget5PaintEv.cold", 0x1000, 1, 0x20, 3},
                  {"__ZN6Widget4DrawEv.cold", 0x1010, 1, 0x20, 3},
                  {"_start", 0x2000},
                  {"_Tail", 0x2010},
                  {"crt.c", 0, 0, 0, 103},
                  {"_crt_helper", 0x2100},
                  {"new_op.cc", 0, 0, 0, 103},
                  {".text$_Znwj", 0x2200, 1, 0, 3},
                  {"__Znwj", 0x2200},
                  {"_new_handler_call", 0x2280},
                  {".text.unlikely._Znwj", 0x2300, 1, 0, 3},
                  {".text.unlikely._Znaj", 0x2340, 1, 0, 3},
                  {"__Znaj.cold", 0x2340, 1, 0x20, 3}};
    return pe.build();
}

// Unit, line and function of each address, one line each.
std::string resolved(const DebugTables& tables, const ModuleLayout& layout, std::initializer_list<std::uint32_t> addresses) {
    TMapFile m;
    m.Loaded = true;
    m.CodeStart = layout.CodeStart;
    m.CodeEnd = layout.CodeEnd;
    m.Assign(tables);
    std::string out;
    for (std::uint32_t a : addresses) {
        MapFileInfos infos;
        m.GetMapFileInfos(a, infos);
        char line[160];
        std::snprintf(line, sizeof line, "%x %s %d %s\n", a, infos.UnitName.c_str(), infos.Line, infos.PublicName.c_str());
        out += line;
    }
    return out;
}

// A header's function between those of a .cpp gets a segment of its own; a segment reaches
// over the padding after its code; cold parts join their unit's segment; code without DWARF
// is named after its object's file. The text map and the packed stream answer alike.
TEST(BuildDebugInfo, SegmentsFollowTheSourceFileOfEachFunction) {
    std::string error;
    const std::optional<BuiltDebugInfo> info = build_debug_info(sample_program(), error);
    ASSERT_TRUE(info) << error;
    EXPECT_EQ(info->warning, "");
    std::vector<std::string> segments;
    for (const TMfSegment& seg : info->tables.Segments) {
        char text[80];
        std::snprintf(text, sizeof text, "%s %x-%x", seg.Name.c_str(), seg.Start, seg.Start + seg.Length);
        segments.push_back(text);
    }
    EXPECT_EQ(segments, (std::vector<std::string>{"Widget 401000-401010", "Vec 401010-401020", "Widget 401020-403000",
                                                  "Start 403000-403010", "Tail 403010-403100", "Crt 403100-403200",
                                                  "NewOp 403200-404000"}));

    const std::initializer_list<std::uint32_t> addresses = {0x401000, 0x401004, 0x40100a, 0x40100c, 0x401012,
                                                            0x401019, 0x401024, 0x401034, 0x402004, 0x40200c,
                                                            0x402012, 0x403004, 0x403014, 0x403104,
                                                            0x403204, 0x403304, 0x403344};
    const char expected[] =
        "401000 Widget 10 Widget.Paint\n"
        "401004 Widget 11 Widget.Paint\n"  // inlined code: the line of the call
        "40100a Widget 12 Widget.Paint\n"  // a header's row without an inline entry
        "40100c Widget 13 Widget.Paint\n"
        "401012 Vec 5 Vec.size\n"          // defined in the header
        "401019 Vec 6 Vec.size\n"          // the padding after it
        "401024 Widget 30 Widget.Draw\n"
        "401034 Widget 40 Lone\n"
        "402004 Widget 11 Widget.Paint\n"  // cold parts
        "40200c Widget 15 Widget.Paint\n"
        "402012 Widget 29 Widget.Draw\n"
        "403004 Start 4 start\n"
        "403014 Tail 51 Tail\n"
        "403104 Crt 0 crt_helper\n"
        "403204 NewOp 0 operator_new\n"
        "403304 NewOp 0 operator_new\n"    // the cold part, by its section
        "403344 NewOp 0 operator_new[]\n";  // by its label, not its section
    const ModuleLayout& l = info->layout;
    DebugTables packed, mapped;
    ASSERT_TRUE(read_packed_debug_stream(write_packed_debug_stream(info->tables, false, l.CodeStart), false, l.CodeStart, packed));
    EXPECT_EQ(resolved(packed, l, addresses), expected);
    const std::string map = write_map_text(*info);
    parse_map_text(map, l, mapped);
    EXPECT_EQ(resolved(mapped, l, addresses), expected);
    for (const char* block : {"Line numbers for Widget(/src/widget.cpp)", "Line numbers for Vec(/inc/vec.h)",
                              "Line numbers for Start(start.s)", "Line numbers for Tail(tail.cpp)"})
        EXPECT_NE(map.find(block), std::string::npos) << block;
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
