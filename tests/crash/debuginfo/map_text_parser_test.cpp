// Text maps in the linker's layout, written here line by line.
#include <gtest/gtest.h>

#include "crash/debuginfo/map_text_parser.h"

namespace roadsum {
namespace {

ModuleLayout layout() {
    ModuleLayout l;
    l.CodeStart = 0x00401000;
    l.DataStart = 0x00480000;
    return l;
}

// Code segment 0001 of 0x2F800 bytes (rounded: 0x30000), a second code segment 0002, data 0003.
const char kMap[] =
    "\r\n"
    " Start         Length     Name                   Class\r\n"
    " 0001:00401000 0002F800H .text                   CODE\r\n"
    " 0002:00431000 00000100H .itext                  ICODE\r\n"
    " 0003:00480000 00001000H .data                   DATA\r\n"
    " 0004:00481000 00000200H .bss                    BSS\r\n"
    "\r\n"
    "\r\n"
    "Detailed map of segments\r\n"
    "\r\n"
    " 0001:00000000 00010000 C=CODE     S=.text    G=(none)   M=System   ACBP=A9\r\n"
    " 0001:00010000 00000800 C=CODE     S=.text    G=(none)   M=C:\\src\\RoadsumFrm ACBP=A9\r\n"
    " 0002:00000000 00000100 C=ICODE    S=.itext   G=(none)   M=Lib|Startup ACBP=A9\r\n"
    " 0003:00000000 00000400 C=DATA     S=.data    G=DGROUP   M=System   ACBP=A9\r\n"
    " 0004:00000000 00000200 C=BSS      S=.bss     G=DGROUP   M=System   ACBP=A9\r\n"
    " 0001:00020000 00000010 C=CODE too short\r\n"
    "\r\n"
    "\r\n"
    "  Address             Publics by Value\r\n"
    "\r\n"
    " 0001:00000010       System.@HandleFinally\r\n"
    " 0001:00010020       RoadsumFrm.TRoadsumFrm.PricelistBtnClick\r\n"
    " 0001:00010100       Other.Routine\r\n"
    " 0001:00010200       TRoadsumFrm.Method(int, char)\r\n"
    " 0002:00000004       Startup.Init\r\n"
    " 0003:00000008       System.HInstance\r\n"
    " 0004:00000000       System.Ignored\r\n"
    " 0001 00000300       NoColon\r\n"
    "\r\n"
    "  Address             Publics by Name\r\n"
    "\r\n"
    " 0001:00000010       ByNameOnly\r\n"
    "\r\n"
    "Line numbers for RoadsumFrm(roadsum_frm.pas) segment .text\r\n"
    "\r\n"
    "   169 0001:00010020   172 0001:00010030 x 0001:00010040   180 0003:00000000\r\n"
    "   200 0002:00000004   201 0001:0001004\r\n"
    "\r\n"
    "   999 0001:00000000\r\n"
    "\r\n"
    "Program entry point at 0001:0000A3C4\r\n";

TEST(MapTextParser, SegmentsOfTheDetailedMap) {
    DebugTables t;
    parse_map_text(kMap, layout(), t);
    ASSERT_EQ(t.Segments.size(), 4u);
    EXPECT_EQ(t.Segments[0].Name, "System");
    EXPECT_EQ(t.Segments[0].Start, 0x401000u);
    EXPECT_EQ(t.Segments[0].Length, 0x10000u);
    EXPECT_TRUE(t.Segments[0].IsCode);
    // The name is cut after the last '\', '=' or '|'.
    EXPECT_EQ(t.Segments[1].Name, "RoadsumFrm");
    EXPECT_EQ(t.Segments[1].Start, 0x411000u);
    // A second code segment follows the first's code size rounded up to 4096.
    EXPECT_EQ(t.Segments[2].Name, "Startup");
    EXPECT_EQ(t.Segments[2].Start, 0x401000u + 0x30000u);
    EXPECT_TRUE(t.Segments[2].IsCode);
    // The data segment counts from the data start; segments after it are left out.
    EXPECT_EQ(t.Segments[3].Start, 0x480000u);
    EXPECT_FALSE(t.Segments[3].IsCode);
}

TEST(MapTextParser, PublicsLoseTheirUnitPrefixAndParameters) {
    DebugTables t;
    parse_map_text(kMap, layout(), t);
    ASSERT_EQ(t.Publics.size(), 6u);
    EXPECT_EQ(t.Publics[0].Name, "@HandleFinally");
    EXPECT_EQ(t.Publics[0].Address, 0x401010u);
    EXPECT_EQ(t.Publics[1].Name, "TRoadsumFrm.PricelistBtnClick");
    EXPECT_EQ(t.Publics[1].Address, 0x411020u);
    // Another unit's prefix stays.
    EXPECT_EQ(t.Publics[2].Name, "Other.Routine");
    EXPECT_EQ(t.Publics[3].Name, "TRoadsumFrm.Method");
    EXPECT_EQ(t.Publics[4].Name, "Init");
    EXPECT_EQ(t.Publics[4].Address, 0x431004u);
    EXPECT_EQ(t.Publics[5].Name, "HInstance");
    EXPECT_EQ(t.Publics[5].Address, 0x480008u);
    EXPECT_FALSE(t.Publics[5].IsCode);
}

TEST(MapTextParser, LineNumbersOfCodeSegmentsUntilTheBlankLine) {
    DebugTables t;
    parse_map_text(kMap, layout(), t);
    ASSERT_EQ(t.Lines.size(), 3u);
    EXPECT_EQ(t.Lines[0].Line, 169);
    EXPECT_EQ(t.Lines[0].Address, 0x411020u);
    EXPECT_EQ(t.Lines[1].Line, 172);
    EXPECT_EQ(t.Lines[2].Line, 200);
    EXPECT_EQ(t.Lines[2].Address, 0x431004u);
}

TEST(MapTextParser, EntryPointCountsFromTheCodeStart) {
    DebugTables t;
    parse_map_text(kMap, layout(), t);
    EXPECT_EQ(t.EntryAddress, 0x40B3C4u);
    // A line of at least 35 characters counts; with 35 the offset has the seven digits it has.
    const std::pair<const char*, std::uint32_t> lines[] = {
        {"Program entry point at 0001:0000A3C4", 0x40B3C4},
        {"Program entry point at 0001:0000A3C", 0x401A3C},
        {"Program entry point at 0001:000A3C\r\n", 0},
        {"Program entry point at 0001:000A3Cx", 0x401A3C},
        {"Program entry point at 0001 0000A3C4", 0},
        {"Program entry point at 0001:x000A3C4", 0},
    };
    for (auto [line, entry] : lines) {
        DebugTables one;
        parse_map_text(line, layout(), one);
        EXPECT_EQ(one.EntryAddress, entry) << line;
    }
}

TEST(MapTextParser, LineEndsAndTheDefaultDataSegment) {
    // LF only; no ".data" line, so segment 2 is data.
    const char map[] =
        "Detailed map of segments\n"
        "\n"
        " 0001:00000000 00000100 C=CODE     S=.text    G=(none)   M=Main     ACBP=A9\n"
        " 0002:00000010 00000100 C=DATA     S=.data    G=(none)   M=Vars     ACBP=A9\n"
        "Publics by Value\n"
        " 0002:00000020       Vars.Variable\n";
    DebugTables t;
    parse_map_text(map, layout(), t);
    ASSERT_EQ(t.Segments.size(), 2u);
    EXPECT_TRUE(t.Segments[0].IsCode);
    EXPECT_FALSE(t.Segments[1].IsCode);
    EXPECT_EQ(t.Segments[1].Name, "Vars");
    ASSERT_EQ(t.Publics.size(), 1u);
    EXPECT_EQ(t.Publics[0].Address, 0x480020u);
    EXPECT_EQ(t.Publics[0].Name, "Variable");
}

TEST(MapTextParser, GarbageGivesNothing) {
    for (const char* text : {"", "\r\n\r\n", "Publics by Value\n0001:zzzzzzzz x\n:::::::::::::::::::::::",
                             "Line numbers for X(y)\n\n 99999999999999 0001:00000010\n"}) {
        DebugTables t;
        parse_map_text(text, layout(), t);
        EXPECT_TRUE(t.empty()) << text;
    }
}

TEST(MapTextParser, CodeAddressOfTheSegmentTable) {
    EXPECT_EQ(map_text_code_address(kMap), 0x401000u);
    EXPECT_FALSE(map_text_code_address("Detailed map of segments\n 0001:00401000 0002F800H .text  CODE\n"));
}

}  // namespace
}  // namespace roadsum
