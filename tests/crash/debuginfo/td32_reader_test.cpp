// TD32 debug information, built here after the published layout: names, modules with their
// segments, source modules with line blocks, and global or aligned symbols.
#include <gtest/gtest.h>

#include "crash/common/little_endian.h"
#include "crash/debuginfo/map_file.h"
#include "crash/debuginfo/td32_reader.h"
#include "fake_debug_files.h"
#include "test_pe_builder.h"

namespace roadsum::testing {
namespace {

class Td32Builder {
public:
    struct Segment {
        std::uint16_t number;
        std::uint32_t offset, size;
    };
    struct LineBlock {
        std::uint16_t segment;
        std::vector<std::pair<std::uint32_t, std::uint16_t>> pairs;  // offset, line
    };
    struct Symbol {
        std::uint16_t type, segment;
        std::uint32_t offset, name;
    };

    std::string signature = "FB09";
    bool aligned_symbols = false;

    std::uint32_t name(const std::string& text) {
        names_.push_back(text);
        return static_cast<std::uint32_t>(names_.size());
    }
    void module(std::uint32_t name_index, std::vector<Segment> segments) {
        std::string m = u16(0) + u16(0) + u16(static_cast<std::uint16_t>(segments.size())) + u16(0x5643) + u32(name_index) +
                        u32(0) + std::string(12, '\0');
        for (const Segment& s : segments) m += u16(s.number) + u16(0) + u32(s.offset) + u32(s.size);
        subsections_.push_back({0x120, m});
    }
    // One source file of the module with its line blocks.
    void source(std::uint32_t file_name, const std::vector<LineBlock>& blocks) {
        const std::uint32_t file_at = 4 + 4 + 8 + 2;  // counts, one file offset, one range, one segment
        const std::uint32_t blocks_at = file_at + 6 + 4 * static_cast<std::uint32_t>(blocks.size()) + 8 * static_cast<std::uint32_t>(blocks.size());
        std::string s = u16(1) + u16(1) + u32(file_at) + u32(0) + u32(0xFFFF) + u16(1);
        std::string file = u16(static_cast<std::uint16_t>(blocks.size())) + u32(file_name);
        std::string block_bytes;
        for (const LineBlock& b : blocks) {
            file += u32(blocks_at + static_cast<std::uint32_t>(block_bytes.size()));
            block_bytes += u16(b.segment) + u16(static_cast<std::uint16_t>(b.pairs.size()));
            for (const auto& [offset, line] : b.pairs) block_bytes += u32(offset);
            for (const auto& [offset, line] : b.pairs) block_bytes += u16(line);
        }
        for (std::size_t i = 0; i < blocks.size(); ++i) file += u32(0) + u32(0);
        subsections_.push_back({0x127, s + file + block_bytes});
    }
    void symbol(const Symbol& s) { symbols_.push_back(s); }

    std::string build() const {
        std::string names = u32(static_cast<std::uint32_t>(names_.size()));
        for (const std::string& n : names_) names += static_cast<char>(n.size()) + n + '\0';
        std::string syms = aligned_symbols ? u32(1) : std::string(16, '\0');
        for (const Symbol& s : symbols_) {
            const bool proc = s.type == 0x0204 || s.type == 0x0205;
            std::string data = proc ? std::string(24, '\0') + u32(s.offset) + u16(s.segment) + u32(0) + '\0' + '\0' + u32(s.name)
                                    : u32(s.offset) + u16(s.segment) + u16(0) + u32(s.name) + u32(0);
            syms += u16(static_cast<std::uint16_t>(2 + data.size())) + u16(s.type) + data;
        }
        std::vector<std::pair<std::uint16_t, std::string>> all = subsections_;
        all.push_back({0x130, names});
        all.push_back({static_cast<std::uint16_t>(aligned_symbols ? 0x125 : 0x129), syms});
        std::string out = signature + u32(0);
        std::string dir = u16(16) + u16(12) + u32(static_cast<std::uint32_t>(all.size())) + u32(0) + u32(0);
        for (const auto& [type, bytes] : all) {
            dir += u16(type) + u16(1) + u32(static_cast<std::uint32_t>(out.size())) + u32(static_cast<std::uint32_t>(bytes.size()));
            out += bytes;
        }
        put_le32(reinterpret_cast<std::uint8_t*>(&out[4]), static_cast<std::uint32_t>(out.size()));
        return out + dir;
    }

private:
    static std::string u16(std::uint16_t v) { return le16_bytes(v); }
    static std::string u32(std::uint32_t v) { return le32_bytes(v); }

    std::vector<std::string> names_;
    std::vector<std::pair<std::uint16_t, std::string>> subsections_;
    std::vector<Symbol> symbols_;
};

ModuleLayout layout() {
    ModuleLayout l;
    l.CodeStart = 0x401000;
    l.DataStart = 0x404000;
    l.Sections = {{0x401000, 0x3000, true}, {0x404000, 0x800, false}};
    return l;
}

Td32Builder sample() {
    Td32Builder b;
    const std::uint32_t unit = b.name("C:\\src\\RoadsumFrm.cpp"), other = b.name("Other.obj"), file = b.name("RoadsumFrm.cpp");
    const std::uint32_t click = b.name("@RoadsumFrm@TRoadsumFrm@PricelistBtnClick$qqrp14System@TObject");
    const std::uint32_t helper = b.name("Helper"), variable = b.name("Variable");
    // Two touching code pieces of one unit merge; its data goes apart.
    b.module(unit, {{1, 0x100, 0x80}, {1, 0x180, 0x80}, {2, 0x10, 0x20}});
    b.module(other, {{1, 0x400, 0x100}});
    b.source(file, {{1, {{0x100, 169}, {0x110, 172}}}, {1, {{0x180, 180}}}});
    b.symbol({0x0205, 1, 0x100, click});
    b.symbol({0x0204, 1, 0x400, helper});
    b.symbol({0x0202, 2, 0x14, variable});
    b.symbol({0x0006, 0, 0, 0});  // a scope end: no symbol
    return b;
}

TEST(Td32Reader, ModulesLinesAndSymbols) {
    DebugTables t;
    ASSERT_TRUE(read_td32(sample().build(), layout(), t));
    ASSERT_EQ(t.Segments.size(), 3u);
    EXPECT_EQ(t.Segments[0].Name, "RoadsumFrm");
    EXPECT_EQ(t.Segments[0].Start, 0x401100u);
    EXPECT_EQ(t.Segments[0].Length, 0x100u);
    EXPECT_EQ(t.Segments[1].Name, "Other");
    EXPECT_FALSE(t.Segments[2].IsCode);
    EXPECT_EQ(t.Segments[2].Start, 0x404010u);
    ASSERT_EQ(t.Lines.size(), 3u);
    EXPECT_EQ(t.Lines[1].Line, 172);
    EXPECT_EQ(t.Lines[1].Address, 0x401110u);
    ASSERT_EQ(t.Publics.size(), 3u);
    EXPECT_EQ(t.Publics[0].Address, 0x401100u);
    EXPECT_TRUE(t.Publics[0].IsCode);
    EXPECT_EQ(t.Publics[1].Name, "Helper");
    EXPECT_EQ(t.Publics[2].Name, "Variable");
    EXPECT_FALSE(t.Publics[2].IsCode);
}

TEST(Td32Reader, AlignedSymbolsWhenThereAreNoGlobalOnes) {
    Td32Builder b = sample();
    b.aligned_symbols = true;
    b.signature = "FB0A";
    DebugTables t;
    ASSERT_TRUE(read_td32(b.build(), layout(), t));
    EXPECT_EQ(t.Publics.size(), 3u);
}

TEST(Td32Reader, OtherSignaturesAndCutDataAreRefused) {
    Td32Builder b = sample();
    b.signature = "NB09";
    DebugTables t;
    EXPECT_FALSE(read_td32(b.build(), layout(), t));
    const std::string good = sample().build();
    // Cut anywhere: never a crash; without its directory nothing at all.
    for (std::size_t n = 0; n < good.size(); n += 7) {
        DebugTables part;
        read_td32(good.substr(0, n), layout(), part);
    }
    EXPECT_FALSE(read_td32(good.substr(0, good.size() - 1), layout(), t));
}

TEST(Td32Reader, InsideTheModuleThroughItsDebugDirectory) {
    TestPe pe;
    pe.debug.push_back({2, "RSDS not ours"});
    pe.debug.push_back({0, sample().build()});
    FakeDebugFiles files;
    const std::string module = pe.build();
    files.add("C:\\app\\Module.exe", module);
    const TMapFile m = load_module(module, "C:\\app\\Module.exe", files);
    ASSERT_TRUE(m.Loaded);
    EXPECT_EQ(m.FindSegment(0x401150).Name, "RoadsumFrm");
    EXPECT_EQ(m.GetFunctionName(0x401150), "TRoadsumFrm.PricelistBtnClick");
    EXPECT_EQ(m.FindLine(0x401150).Line, 172);

    EXPECT_FALSE(load_module(module, "C:\\app\\Module.exe", files, true).Loaded);
}

TEST(Td32Reader, TdsFileOlderThanTheMapByDaysIsIgnored) {
    const std::string map = " Start         Length     Name                   Class\r\n"
                            "Detailed map of segments\r\n"
                            " 0001:00000100 00000100 C=CODE     S=.text    G=(none)   M=FromMap          ACBP=A9\r\n";
    const std::uint16_t day = (44 << 9) | (3 << 5) | 10;  // 2024-03-10
    for (const auto& [tds_day, expected] : {std::pair<int, const char*>{day - 1, "FromMap"}, std::pair<int, const char*>{day, "RoadsumFrm"}}) {
        FakeDebugFiles files;
        files.add("C:\\app\\Module.tds", sample().build(), static_cast<std::uint16_t>(tds_day));
        files.add("C:\\app\\Module.map", map, day);
        // The time of day does not count.
        files.touch("C:\\app\\Module.map", day, 0xBF7D);
        EXPECT_EQ(load_module(TestPe().build(), "C:\\app\\Module.exe", files).FindSegment(0x401150).Name, expected);
    }
}

}  // namespace
}  // namespace roadsum::testing
