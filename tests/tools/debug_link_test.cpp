// A stripped program and the side file that holds its DWARF and its COFF symbols: the build's
// check of the pair, and the disassembler's image reader finding the names through the link.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "crash/archive/crc32.h"
#include "image_compare.h"
#include "pe_image.h"
#include "test_pe_builder.h"

namespace roadsum::testing {
namespace {

const std::vector<TestPe::Symbol> kSymbols = {{"_main", 0x0}, {"_helper", 0x40}};

std::string side_file(bool with_symbols = true, bool with_lines = true) {
    TestPe pe;
    pe.more_sections = {{".debug_info", "units"}};
    if (with_lines) pe.more_sections.push_back({".debug_line", "lines"});
    if (with_symbols) pe.symbols = kSymbols;
    return pe.build();
}

// The link section: the name, zero-terminated and padded to four bytes, then the CRC-32.
std::string debug_link(const std::string& name, std::uint32_t crc) {
    std::string link = name + '\0';
    link.resize((link.size() + 3) / 4 * 4, '\0');
    for (int i = 0; i < 32; i += 8) link += static_cast<char>(crc >> i);
    return link;
}

struct Program {
    std::string link_name = "prog.exe.debug";
    std::uint32_t crc = crc32(bytes_of(side_file()));
    bool with_link = true, with_symbols = false, with_dwarf = false;

    std::string build() const {
        TestPe pe;
        if (with_dwarf) pe.more_sections.push_back({".debug_info", "units"});
        if (with_link) pe.more_sections.push_back({".gnu_debuglink", debug_link(link_name, crc)});
        if (with_symbols) pe.symbols = kSymbols;
        return pe.build();
    }
};

TEST(DebugLinkCheck, TheProgramKeepsNeitherNamesNorDwarfAndLinksToTheFileThatHasThem) {
    const std::string side = side_file();
    Program symbols, dwarf, unlinked, renamed, stale;
    symbols.with_symbols = dwarf.with_dwarf = true;
    unlinked.with_link = false;
    renamed.link_name = "other.debug";
    stale.crc ^= 1;
    char crcs[96];
    std::snprintf(crcs, sizeof crcs, "the .gnu_debuglink expects CRC-32 0x%08x but prog.exe.debug has 0x%08x",
                  static_cast<unsigned>(stale.crc), static_cast<unsigned>(crc32(bytes_of(side))));

    const struct {
        std::string program, side, difference;
    } cases[] = {
        {Program{}.build(), side, ""},
        {symbols.build(), side, "the program still holds a COFF symbol table (2 records); link it with --strip-all"},
        {dwarf.build(), side, "the program still holds the DWARF section .debug_info"},
        {unlinked.build(), side, "the program has no .gnu_debuglink section, or a broken one"},
        {renamed.build(), side, "the .gnu_debuglink names other.debug, not prog.exe.debug"},
        {stale.build(), side, crcs},
        {Program{.crc = crc32(bytes_of(side_file(false)))}.build(), side_file(false),
         "the side file has no COFF symbol table"},
        {Program{.crc = crc32(bytes_of(side_file(true, false)))}.build(), side_file(true, false),
         "the side file has no .debug_line"},
    };
    for (const auto& c : cases) EXPECT_EQ(check_debug_link(c.program, "prog.exe.debug", c.side), c.difference);
}

class SideFileNames : public ::testing::Test {
protected:
    std::filesystem::path dir = std::filesystem::temp_directory_path() /
                                ("side_file_names_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
    void SetUp() override { std::filesystem::create_directories(dir); }
    void TearDown() override { std::filesystem::remove_all(dir); }

    void write(const std::string& name, const std::string& bytes) {
        std::ofstream(dir / name, std::ios::binary) << bytes;
    }

    // The names that the image reader finds for the program, one per line, and its warning.
    std::string names_of(const std::string& name, std::string& warning) {
        std::string error, out;
        const auto image = PeImage::load((dir / name).string(), error, warning);
        if (!image) return "error: " + error;
        for (const PeName& n : image->names()) out += n.name + "\n";
        return out;
    }
};

TEST_F(SideFileNames, AStrippedProgramsNamesComeFromTheSideFileItLinksTo) {
    write("prog.exe", Program{}.build());
    const std::string side_path = (dir / "prog.exe.debug").string();
    const struct {
        const char* what;
        std::string side;  // empty: none beside the program
        std::string names, warning;
    } cases[] = {
        {"the side file", side_file(), "main\nhelper\n", ""},
        {"a side file of another build", side_file() + '\0', "",
         "no symbols: " + side_path + " is not the side file the program links to"},
        {"no side file", "", "", "no symbols: cannot open the side file " + side_path},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove(side_path);
        if (!c.side.empty()) write("prog.exe.debug", c.side);
        std::string warning;
        EXPECT_EQ(names_of("prog.exe", warning), c.names);
        EXPECT_EQ(warning, c.warning);
    }
}

TEST_F(SideFileNames, AProgramWithItsOwnSymbolsKeepsThemAndAMissingFileIsAnError) {
    Program own;
    own.with_symbols = true;
    write("own.exe", own.build());
    write("prog.exe.debug", "not an image");  // not read: the program has its names
    std::string warning;
    EXPECT_EQ(names_of("own.exe", warning), "main\nhelper\n");
    EXPECT_EQ(warning, "");
    EXPECT_EQ(names_of("missing.exe", warning), "error: cannot open the file");
}

}  // namespace
}  // namespace roadsum::testing
