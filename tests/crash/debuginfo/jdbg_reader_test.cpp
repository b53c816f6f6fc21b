// ".jdbg" files, built here after the published layout: header, difference-coded value lists
// and the word table with its six-bit names.
#include <gtest/gtest.h>

#include "crash/common/little_endian.h"
#include "crash/debuginfo/jdbg_reader.h"
#include "fake_debug_files.h"
#include "test_pe_builder.h"

namespace roadsum::testing {
namespace {

class JdbgBuilder {
public:
    // Offset of the word in the word table (0 stands for no name).
    std::int32_t word(const std::string& text, bool packed = true) {
        const auto at = static_cast<std::int32_t>(words_.size());
        if (!packed) {
            words_ += '\x01' + text + '\0';
            return at;
        }
        std::string_view s = text;
        if (s.substr(0, 2) == "@@") {
            words_ += '\x02';
            s.remove_prefix(2);
        }
        std::vector<std::uint8_t> codes;
        for (char c : s) codes.push_back(code(c));
        codes.push_back(0);
        while (codes.size() % 4) codes.push_back(0);
        for (std::size_t i = 0; i < codes.size(); i += 4) {
            words_ += static_cast<char>(codes[i] << 2 | codes[i + 1] >> 4);
            words_ += static_cast<char>((codes[i + 1] & 0x0F) << 4 | codes[i + 2] >> 2);
            words_ += static_cast<char>((codes[i + 2] & 0x03) << 6 | codes[i + 3]);
        }
        return at;
    }
    void unit(std::int32_t address, std::int32_t name) { row(units_, {address, name}); }
    void symbol(std::int32_t address, std::int32_t prefix, std::int32_t name) { row(symbols_, {address, prefix, name}); }
    void line(std::int32_t address, std::int32_t number) { row(lines_, {address, number}); }

    std::string build() const {
        std::string sections[5] = {ended(units_), ended({}), ended(symbols_), ended(lines_), words_};
        std::string out = "JDBG";
        out += '\x01';
        std::uint32_t at = 34;
        for (const std::string& s : sections) {
            out += le32_bytes(at);
            at += static_cast<std::uint32_t>(s.size());
        }
        out += le32_bytes(0) + le32_bytes(0) + '\0';
        for (const std::string& s : sections) out += s;
        return out;
    }

private:
    static std::uint8_t code(char c) {
        if (c >= 'a' && c <= 'z') return static_cast<std::uint8_t>(c - 'a' + 1);
        if (c >= 'A' && c <= 'Z') return static_cast<std::uint8_t>(c - 'A' + 27);
        if (c >= '0' && c <= '9') return static_cast<std::uint8_t>(c - '0' + 53);
        return 63;
    }
    static std::string value(std::uint32_t v) {
        std::string out;
        do {
            std::uint8_t b = v & 0x7F;
            v >>= 7;
            if (v) b |= 0x80;
            out += static_cast<char>(b);
        } while (v);
        return out;
    }
    // Each column as the difference to its value in the row before.
    struct List {
        std::string bytes;
        std::vector<std::int32_t> last;
    };
    void row(List& list, std::vector<std::int32_t> values) {
        list.last.resize(values.size());
        for (std::size_t i = 0; i < values.size(); ++i) {
            list.bytes += value(static_cast<std::uint32_t>(values[i] - list.last[i]));
            list.last[i] = values[i];
        }
    }
    static std::string ended(const List& list) { return list.bytes + value(0x7FFFFFFF); }

    std::string words_ = std::string(1, '\0');
    List units_, symbols_, lines_;
};

ModuleLayout layout(std::uint32_t code_end = 0x405000) {
    ModuleLayout l;
    l.CodeStart = 0x401000;
    l.CodeEnd = code_end;
    return l;
}

JdbgBuilder sample() {
    JdbgBuilder b;
    const auto system = b.word("System"), frm = b.word("RoadsumFrm");
    b.unit(0x0, system);
    b.unit(0x2000, frm);
    b.symbol(0x10, system, b.word("@@HandleFinally"));
    b.symbol(0x2010, frm, b.word("TRoadsumFrm.PricelistBtnClick", false));
    b.symbol(0x2100, b.word("Other"), b.word("Routine_2"));
    b.symbol(0x1F00, 0, b.word("NoPrefix"));
    b.line(0x2010, 169);
    b.line(0x2020, 172);
    b.line(0x10, 40);  // earlier address: a negative difference
    return b;
}

TEST(JdbgReader, UnitsSymbolsAndLines) {
    DebugTables t;
    ASSERT_TRUE(read_jdbg(sample().build(), layout(), t));
    ASSERT_EQ(t.Segments.size(), 2u);
    EXPECT_EQ(t.Segments[0].Name, "System");
    EXPECT_EQ(t.Segments[0].Start, 0x401000u);
    EXPECT_EQ(t.Segments[0].Length, 0x2000u);
    EXPECT_EQ(t.Segments[1].Name, "RoadsumFrm");
    EXPECT_EQ(t.Segments[1].Length, 0x405000u - 0x403000u);  // to the end of the code
    ASSERT_EQ(t.Publics.size(), 4u);
    EXPECT_EQ(t.Publics[0].Name, "@@HandleFinally");
    EXPECT_EQ(t.Publics[1].Name, "NoPrefix");
    EXPECT_EQ(t.Publics[2].Name, "TRoadsumFrm.PricelistBtnClick");
    EXPECT_EQ(t.Publics[2].Address, 0x403010u);
    EXPECT_EQ(t.Publics[3].Name, "Other.Routine_2");
    ASSERT_EQ(t.Lines.size(), 3u);
    EXPECT_EQ(t.Lines[0].Line, 40);
    EXPECT_EQ(t.Lines[0].Address, 0x401010u);
    EXPECT_EQ(t.Lines[2].Line, 172);
}

TEST(JdbgReader, LastUnitWithoutACodeEndReachesPastTheLastAddress) {
    DebugTables t;
    ASSERT_TRUE(read_jdbg(sample().build(), layout(0), t));
    EXPECT_EQ(t.Segments[1].Start + t.Segments[1].Length, 0x403101u);
}

TEST(JdbgReader, BrokenDataIsRefused) {
    const std::string good = sample().build();
    DebugTables t;
    EXPECT_FALSE(read_jdbg("JDBX" + good.substr(4), layout(), t));
    EXPECT_FALSE(read_jdbg(good.substr(0, 33), layout(), t));
    // A list without its end marker runs into the word table and off the data.
    JdbgBuilder lines_only;
    lines_only.line(0x10, 1);
    std::string unterminated = lines_only.build();
    const std::uint32_t words_at = get_le32(reinterpret_cast<const std::uint8_t*>(&unterminated[21]));
    unterminated.erase(words_at - 5, 5);
    put_le32(reinterpret_cast<std::uint8_t*>(&unterminated[21]), words_at - 5);
    EXPECT_FALSE(read_jdbg(unterminated, layout(), t));
    // An offset beyond the data.
    std::string far = good;
    far[5] = '\xFF';
    far[6] = '\xFF';
    EXPECT_FALSE(read_jdbg(far, layout(), t));
    for (std::size_t n = 0; n < good.size(); ++n) {
        DebugTables part;
        read_jdbg(good.substr(0, n), layout(), part);
    }
}

TEST(JdbgReader, SideFileWhenNothingElseIsThere) {
    FakeDebugFiles files;
    files.add("C:\\app\\Module.jdbg", sample().build());
    const TMapFile m = load_module(TestPe().build(), "C:\\app\\Module.exe", files);
    ASSERT_TRUE(m.Loaded);
    MapFileInfos infos;
    ASSERT_TRUE(m.GetMapFileInfos(0x403018, infos));
    EXPECT_EQ(infos.UnitName, "RoadsumFrm");
    EXPECT_EQ(infos.PublicName, "TRoadsumFrm.PricelistBtnClick");
    EXPECT_EQ(infos.Line, 169);
}

}  // namespace
}  // namespace roadsum::testing
