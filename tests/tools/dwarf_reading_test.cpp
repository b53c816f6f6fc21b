// nox-debuginfo's DWARF readers and the pieces of code they give, on sections assembled by
// hand: line tables of versions 3 to 5 and the sample program of dwarf_sample.h.
#include <gtest/gtest.h>

#include <ostream>
#include <utility>

#include "code_lines.h"
#include "dwarf_bytes.h"
#include "dwarf_sample.h"
#include "dwarf_functions.h"
#include "dwarf_lines.h"

namespace roadsum {

bool operator==(const AddressRange& a, const AddressRange& b) { return a.start == b.start && a.end == b.end; }
bool operator==(const FileRef& a, const FileRef& b) { return a.table == b.table && a.index == b.index; }
bool operator==(const InlinedCall& a, const InlinedCall& b) {
    return a.ranges == b.ranges && a.file == b.file && a.line == b.line;
}
bool operator==(const DwarfFunction& a, const DwarfFunction& b) {
    return a.ranges == b.ranges && a.file == b.file && a.line == b.line && a.calls == b.calls;
}
bool operator==(const TMfLine& a, const TMfLine& b) { return a.Line == b.Line && a.Address == b.Address; }
bool operator==(const CodePiece& a, const CodePiece& b) {
    return a.start == b.start && a.end == b.end && a.source == b.source && a.lines == b.lines;
}
void PrintTo(const AddressRange& r, std::ostream* os) { *os << std::hex << "[" << r.start << "," << r.end << ")"; }
void PrintTo(const DwarfFunction& f, std::ostream* os) {
    *os << "function file " << f.file.table << ":" << f.file.index << " line " << std::dec << f.line << " ranges";
    for (const AddressRange& r : f.ranges) PrintTo(r, os);
    for (const InlinedCall& c : f.calls) {
        *os << " call " << std::dec << c.file.index << ":" << c.line;
        for (const AddressRange& r : c.ranges) PrintTo(r, os);
    }
}
void PrintTo(const CodePiece& p, std::ostream* os) {
    *os << std::hex << "[" << p.start << "," << p.end << ") " << p.source;
    for (const TMfLine& l : p.lines) *os << " " << std::dec << l.Line << "@" << std::hex << l.Address;
}

namespace testing {
namespace {

// The one unit of a line table, read without error.
LineUnit only_unit(const std::string& table, std::string_view line_str = {}) {
    DwarfSections s;
    s.line = table;
    s.line_str = line_str;
    std::string error;
    const std::vector<LineUnit> units = read_line_tables(s, error);
    EXPECT_EQ(error, "");
    EXPECT_EQ(units.size(), 1u);
    return units.empty() ? LineUnit{} : units[0];
}

TEST(DwarfLines, VersionFourTableWithSpecialOpcodes) {
    DwarfBytes t;
    t.text("/inc").u8(0);
    for (const char* f : {"main.h", "main.cpp"}) t.text(f).uleb(1).uleb(0).uleb(0);
    t.u8(0);
    DwarfBytes p;
    p.set_address(0x401000);
    p.advance_line(9);   // line 10
    p.u8(kCopy);
    p.u8(76);            // special: address +4, line +2
    p.u8(kSetFile).uleb(2).u8(kCopy);
    p.u8(kAdvancePc).uleb(8);
    p.end_sequence();
    const LineUnit unit = only_unit(line_unit(4, t.bytes, p.bytes));
    EXPECT_EQ(unit.source, "/inc/main.cpp");
    EXPECT_EQ(unit.files, (std::vector<std::string>{"", "/inc/main.h", "/inc/main.cpp"}));
    ASSERT_EQ(unit.sequences.size(), 1u);
    const LineSequence& seq = unit.sequences[0];
    ASSERT_EQ(seq.rows.size(), 3u);
    EXPECT_EQ(seq.rows[0].address, 0x401000u);
    EXPECT_EQ(seq.rows[0].line, 10);
    EXPECT_EQ(seq.rows[0].file, 1u);  // the initial file
    EXPECT_EQ(seq.rows[1].address, 0x401004u);
    EXPECT_EQ(seq.rows[1].line, 12);
    EXPECT_EQ(seq.rows[2].file, 2u);
    EXPECT_EQ(seq.end, 0x40100Cu);
}

TEST(DwarfLines, VersionFiveTableNamesItsUnitByFileZero) {
    const std::string line_str = std::string("roadsum_frm.cpp") + '\0' + "header.h" + '\0';
    DwarfBytes t;
    t.u8(1).uleb(1).uleb(kString);  // directories: path as a string
    t.uleb(2).text("/work/build").text("../src");
    t.u8(2).uleb(1).uleb(0x1F).uleb(2).uleb(kUdata);  // files: path in .debug_line_str, directory
    t.uleb(2).u32(0).uleb(1).u32(16).uleb(0);
    DwarfBytes p;
    p.set_address(0x402000);
    p.advance_line(168);
    p.u8(kCopy);
    p.u8(kAdvancePc).uleb(0x10).advance_line(3).u8(kCopy);  // 0x402010 line 172
    p.u8(8);                                                // address +17
    p.u8(9).u16(0x0F);                                      // address +15
    p.u8(kSetFile).uleb(1);                                 // another file: no row by itself
    p.u8(kCopy);
    p.end_sequence();
    const LineUnit unit = only_unit(line_unit(5, t.bytes, p.bytes), line_str);
    EXPECT_EQ(unit.source, "/work/src/roadsum_frm.cpp");
    EXPECT_EQ(unit.files, (std::vector<std::string>{"/work/src/roadsum_frm.cpp", "/work/build/header.h"}));
    ASSERT_EQ(unit.sequences.size(), 1u);
    const LineSequence& seq = unit.sequences[0];
    ASSERT_EQ(seq.rows.size(), 3u);
    EXPECT_EQ(seq.rows[1].address, 0x402010u);
    EXPECT_EQ(seq.rows[1].line, 172);
    EXPECT_EQ(seq.rows[2].address, 0x402030u);
    EXPECT_EQ(seq.rows[2].file, 1u);
}

TEST(DwarfLines, BrokenUnitEndsTheReadingAndKeepsThoseBefore) {
    DwarfBytes t;
    t.u8(0).text("a.c").uleb(0).uleb(0).uleb(0).u8(0);
    DwarfBytes p;
    p.set_address(0x401000).u8(kCopy).end_sequence();
    const std::string good = line_unit(3, t.bytes, p.bytes);
    DwarfBytes no_formats;  // version 5: a huge count of directories that take no bytes
    no_formats.u8(0).uleb(0xFFFFFFFFFFull);
    for (const std::string& bad : {good.substr(0, good.size() - 4), line_unit(6, t.bytes, p.bytes),
                                   line_unit(5, no_formats.bytes, p.bytes)}) {
        DwarfSections s;
        const std::string both = good + bad;
        s.line = both;
        std::string error;
        const auto units = read_line_tables(s, error);
        EXPECT_NE(error, "");
        ASSERT_EQ(units.size(), 1u);
        EXPECT_EQ(units[0].source, "a.c");
    }
}

TEST(DwarfLines, PathsWithoutDotSteps) {
    const std::pair<const char*, const char*> cases[] = {
        {"/work/wt/build/win32/../../src/ui/roadsum_frm.cpp", "/work/wt/src/ui/roadsum_frm.cpp"},
        {"./a//b/./c.h", "a/b/c.h"},
        {"../x/../../y.h", "../../y.h"},
        {"/../a.h", "/a.h"},
        {"C:\\mingw\\include\\..\\lib\\x.h", "C:/mingw/lib/x.h"},
        {"", ""},
    };
    for (auto [path, expected] : cases) EXPECT_EQ(normal_path(path), expected) << path;
}

TEST(DwarfFunctions, RangesDefinitionsAndOutermostInlinedCalls) {
    const DwarfSample sample;
    std::string error;
    const std::vector<InfoUnit> units = read_debug_info(sample.sections(), error);
    EXPECT_EQ(error, "");
    ASSERT_EQ(units.size(), 2u);

    EXPECT_EQ(units[0].line_table, 0u);
    EXPECT_EQ(units[0].ranges, (std::vector<AddressRange>{{0x401000, 0x401038}, {0x402000, 0x402018}}));
    const FileRef widget{0, 1}, vec_h{0, 2};
    const std::vector<DwarfFunction> first = {
        {{{0x401000, 0x401010}, {0x402000, 0x402010}},
         widget,
         9,
         {{{{0x401004, 0x401008}, {0x402000, 0x402008}}, widget, 11}, {{{0x40100c, 0x40100e}}, widget, 13}}},
        {{{0x401010, 0x401018}}, vec_h, 4, {}},
        {{{0x401020, 0x401030}, {0x402010, 0x402018}}, widget, 29, {}},
        {{{0x401030, 0x401038}}, widget, 40, {}},
    };
    EXPECT_EQ(units[0].functions, first);

    EXPECT_EQ(units[1].line_table, sample.line2);
    EXPECT_EQ(units[1].ranges, (std::vector<AddressRange>{{0x401010, 0x401018}, {0x403010, 0x403018}}));
    const std::vector<DwarfFunction> second = {
        {{{0x401010, 0x401018}}, {sample.line2, 1}, 1, {}},
        {{{0x403010, 0x403018}}, {sample.line2, 2}, 49, {}},
    };
    EXPECT_EQ(units[1].functions, second);
}

TEST(DwarfFunctions, BrokenDataEndsTheReadingAndKeepsTheUnitsBefore) {
    DwarfSample sample;
    const std::string whole = sample.info;
    for (const std::string& info : {whole.substr(0, whole.size() - 3), whole.substr(0, sample.info1) + info_unit(6, 0, "")}) {
        sample.info = info;
        std::string error;
        const std::vector<InfoUnit> units = read_debug_info(sample.sections(), error);
        EXPECT_NE(error, "");
        ASSERT_EQ(units.size(), 1u);
        EXPECT_EQ(units[0].functions.size(), 4u);
    }

    DwarfSample unknown_form;
    unknown_form.abbrev[unknown_form.abbrev.find('\x08')] = '\x7f';  // the unit name's form
    std::string error;
    EXPECT_TRUE(read_debug_info(unknown_form.sections(), error).empty());
    EXPECT_EQ(error, "unknown attribute form");
}

TEST(CodeLines, EachFunctionInItsOwnFileWithTheLinesOfItsCalls) {
    const DwarfSample sample;
    std::string error;
    const std::vector<CodePiece> pieces =
        code_pieces(read_line_tables(sample.sections(), error), read_debug_info(sample.sections(), error), 0x401000,
                    0x404000);
    const std::string widget = "/src/widget.cpp";
    const std::vector<CodePiece> expected = {
        // Inlined code shows the line of its call; rows of another file without an inline
        // entry keep the line before them.
        {0x401000, 0x401010, widget, {{10, 0x401000}, {11, 0x401004}, {12, 0x401008}, {13, 0x40100c}}},
        // Defined in a header: the header's file; Dup, described again by the second unit, is
        // left out, and so is the row in the padding after it.
        {0x401010, 0x401018, "/inc/vec.h", {{5, 0x401010}, {6, 0x401014}}},
        {0x401020, 0x401030, widget, {{30, 0x401020}}},
        // No rows of its own: the line it is defined at.
        {0x401030, 0x401038, widget, {{40, 0x401030}}},
        // The cold part of Paint: the call's line, kept over the row without an inline entry.
        {0x402000, 0x402010, widget, {{11, 0x402000}, {15, 0x40200c}}},
        // The cold part of Draw runs on in Paint's last row, which says nothing about it: the
        // line Draw is defined at.
        {0x402010, 0x402018, widget, {{29, 0x402010}}},
        // Assembly that only a line table describes.
        {0x403000, 0x403008, "start.s", {{3, 0x403000}, {4, 0x403004}}},
        {0x403010, 0x403018, "tail.cpp", {{50, 0x403010}, {51, 0x403014}}},
    };
    EXPECT_EQ(pieces, expected);

    // Code outside the module's code is not described.
    EXPECT_TRUE(code_pieces(read_line_tables(sample.sections(), error), read_debug_info(sample.sections(), error),
                            0x500000, 0x501000)
                    .empty());
}

}  // namespace
}  // namespace testing
}  // namespace roadsum
