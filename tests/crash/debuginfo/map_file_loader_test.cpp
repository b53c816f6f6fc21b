// Which source a module's debug information comes from, and what happens to broken ones.
#include <gtest/gtest.h>

#include "crash/debuginfo/container.h"
#include "crash/debuginfo/map_file.h"
#include "crash/debuginfo/packed_debug_stream.h"
#include "crash/process/pe_headers.h"
#include "debug_tables_fixture.h"
#include "fake_debug_files.h"
#include "test_pe_builder.h"

namespace roadsum::testing {
namespace {

const std::string kModule = "C:\\app\\Module.exe";

std::string container_of(const DebugTables& t, bool minimal = false, std::uint32_t id1 = 11, std::uint32_t id2 = 22) {
    return write_debug_container(write_packed_debug_stream(t, minimal, kCodeStart), id1, id2,
                                 minimal ? kDebugContainerMinimal : 0);
}

DebugTables named_tables(const char* unit) {
    DebugTables t;
    t.Segments = {code_segment(0x401000, 0x1000, unit)};
    t.Publics = {code_public(0x401010, unit)};
    t.Lines = {{5, 0x401010}};
    return t;
}

// The compiled settings resource with only MinDebugInfo.
std::string settings_with(const std::string& identification) {
    std::string s = "TPF0\x0ATNoxExcept\x09noxExcept\x0CMinDebugInfo\x06";
    s += static_cast<char>(identification.size());
    return s + identification + std::string(2, '\0');
}

std::string map_text(const char* unit) {
    return std::string(" Start         Length     Name                   Class\r\n"
                       " 0001:00401000 00001000H .text                   CODE\r\n"
                       "Detailed map of segments\r\n"
                       " 0001:00000000 00001000 C=CODE     S=.text    G=(none)   M=") +
           unit + "           ACBP=A9\r\n" + "Publics by Value\r\n 0001:00000010       Mapped\r\n";
}

struct World {
    TestPe pe;
    FakeDebugFiles files;
    bool side_files_only = false;

    TMapFile load() { return load_module(pe.build(), kModule, files, side_files_only); }
};

TEST(MapFileSources, ResourceComesFirst) {
    World w;
    w.pe.resources.push_back({"NOX", "EXCEPT", container_of(named_tables("FromResource"))});
    w.files.add("C:\\app\\Module.map", map_text("FromMap"));
    const TMapFile m = w.load();
    ASSERT_TRUE(m.Loaded);
    EXPECT_EQ(m.FindSegment(0x401020).Name, "FromResource");
    EXPECT_EQ(m.ModuleHandle, 0x400000u);
    EXPECT_EQ(m.CodeStart, 0x401000u);
    EXPECT_EQ(m.CodeEnd, 0x404000u);
    EXPECT_EQ(m.DataStart, 0x404000u);
    EXPECT_EQ(m.DataEnd, 0x404800u);
    EXPECT_EQ(m.MinDebugInfo, "");
}

TEST(MapFileSources, ResourceNamesIgnoreCase) {
    World w;
    w.pe.resources.push_back({"nox", "except", container_of(named_tables("Lower"))});
    EXPECT_EQ(w.load().FindSegment(0x401020).Name, "Lower");
}

TEST(MapFileSources, BrokenContainersFallBackToTheNextSource) {
    const std::string good = container_of(named_tables("Good"));
    const std::size_t sig = kDebugContainerSignature.size();
    std::string wrong_signature = good, wrong_version = good, wrong_crc = good;
    wrong_signature[3] ^= 0x20;
    wrong_version[sig + 4] = 7;
    wrong_crc[sig + 20 + 8] ^= 1;
    // A stream shorter than its counts, in an intact container.
    const std::string full = write_packed_debug_stream(named_tables("Cut"), false, kCodeStart);
    const std::string short_stream = write_debug_container(full.substr(0, full.size() - 3), 1, 2, 0);
    for (const std::string& bad : {wrong_signature, wrong_version, wrong_crc, short_stream}) {
        World w;
        w.pe.resources.push_back({"NOX", "EXCEPT", bad});
        w.files.add("C:\\app\\Module.nox", bad);
        w.files.add("C:\\app\\Module.jdbg", "JDBG broken");
        w.files.add("C:\\app\\Module.map", map_text("FromMap"));
        const TMapFile m = w.load();
        ASSERT_TRUE(m.Loaded);
        EXPECT_EQ(m.FindSegment(0x401020).Name, "FromMap");
        EXPECT_EQ(m.GetFunctionName(0x401020), "Mapped");
    }
}

TEST(MapFileSources, SideFilesInTheirOrder) {
    World w;
    w.files.add("C:\\app\\Module.nox", container_of(named_tables("FromNox")));
    EXPECT_EQ(w.load().FindSegment(0x401020).Name, "FromNox");
    w.files.add("C:\\app\\Module.map", map_text("FromMap"));
    EXPECT_EQ(w.load().FindSegment(0x401020).Name, "FromMap");
    w.files.add("C:\\app\\Module.map", "not a map");
    EXPECT_EQ(w.load().FindSegment(0x401020).Name, "FromNox");
}

TEST(MapFileSources, NothingFoundLeavesItUnloaded) {
    World w;
    w.pe.resources.push_back({std::uint16_t{10}, "EXCEPT", container_of(named_tables("WrongType"))});
    const TMapFile m = w.load();
    EXPECT_FALSE(m.Loaded);
    EXPECT_EQ(m.ModulePath, kModule);
    EXPECT_EQ(m.GetFunctionName(0x401020), "");
    MapFileInfos infos;
    EXPECT_FALSE(m.GetMapFileInfos(0x401020, infos));
}

TEST(MapFileSources, MinimalResourceWithTheMatchingFullFileBesideIt) {
    const std::string full = container_of(named_tables("Full"), false, 0xAAAA, 0xBBBB);
    const std::string identification = read_debug_container(full)->identification();
    World w;
    w.pe.resources.push_back({"NOX", "EXCEPT", container_of(named_tables("Minimal"), true, 0xAAAA, 0xBBBB)});
    w.pe.resources.push_back({std::uint16_t{10}, "TNOXEXCEPT", settings_with(identification)});
    w.files.add("C:\\app\\Module.nox", full);
    const TMapFile m = w.load();
    ASSERT_TRUE(m.Loaded);
    EXPECT_EQ(m.FindSegment(0x401020).Name, "Full");
    EXPECT_EQ(m.FindLine(0x401020).Line, 5);
    EXPECT_EQ(m.MinDebugInfo, "");
}

TEST(MapFileSources, MinimalResourceAloneNumbersItsNames) {
    const std::string full = container_of(named_tables("Full"), false, 0xAAAA, 0xBBBB);
    const std::string identification = read_debug_container(full)->identification();
    for (const std::string& beside : {std::string(), container_of(named_tables("Other"), false, 0xAAAA, 0xCCCC)}) {
        World w;
        w.pe.resources.push_back({"NOX", "EXCEPT", container_of(named_tables("Minimal"), true, 0xAAAA, 0xBBBB)});
        w.pe.resources.push_back({std::uint16_t{10}, "TNOXEXCEPT", settings_with(identification)});
        if (!beside.empty()) w.files.add("C:\\app\\Module.nox", beside);
        w.files.add("C:\\app\\Module.map", map_text("NotInMinimalMode"));
        const TMapFile m = w.load();
        ASSERT_TRUE(m.Loaded);
        EXPECT_EQ(m.FindSegment(0x401020).Name, "segment%0");
        EXPECT_EQ(m.GetFunctionName(0x401020), "public%0");
        EXPECT_EQ(m.FindLine(0x401020).Line, -1);
        EXPECT_EQ(m.MinDebugInfo, identification);
    }
}

TEST(MapFileSources, NamedSideFileAlone) {
    FakeDebugFiles files;
    files.add("D:\\symbols\\Module.nox", container_of(named_tables("FromNox")));
    files.add("D:\\symbols\\Module.map", map_text("FromMap"));
    MapFileSources s;
    s.files = &files;
    s.module_path = "D:\\symbols\\Module.nox";
    s.side_file = "D:\\symbols\\Module.nox";
    s.code_start = kCodeStart;
    const TMapFile m = TMapFile::Create(s);
    ASSERT_TRUE(m.Loaded);
    EXPECT_EQ(m.FindSegment(0x401020).Name, "FromNox");
    EXPECT_EQ(m.CodeEnd, 0u);
}

TEST(PeImageFile, ResourcesAndLayoutOfABuiltImage) {
    TestPe pe;
    pe.resources.push_back({std::uint16_t{10}, "TNOXEXCEPT", "settings"});
    pe.resources.push_back({"NOX", "EXCEPT", "debug"});
    pe.resources.push_back({"NOX", std::uint16_t{7}, "seven"});
    const PeFileImage image(pe.build(), 0x10000000);
    ASSERT_TRUE(image.valid());
    EXPECT_EQ(image.base(), 0x10000000u);
    EXPECT_EQ(image.preferred_base(), 0x400000u);
    const auto h = read_pe_headers(image);
    ASSERT_TRUE(h);
    EXPECT_EQ(find_resource(image, *h, kRtRcdata, "tnoxexcept"), "settings");
    EXPECT_EQ(find_resource(image, *h, "NOX", "EXCEPT"), "debug");
    EXPECT_EQ(find_resource(image, *h, "NOX", std::uint16_t{7}), "seven");
    EXPECT_FALSE(find_resource(image, *h, "NOX", "EXCEPTION"));
    const ModuleLayout l = module_layout(*h, image.base());
    EXPECT_EQ(l.CodeStart, 0x10001000u);
    ASSERT_EQ(l.Sections.size(), 3u);
    EXPECT_TRUE(l.Sections[0].code);
    EXPECT_FALSE(l.Sections[1].code);
    // Reads end at the end of a section.
    char bytes[4] = {1, 1, 1, 1};
    EXPECT_TRUE(image.read(TestPe::kCodeRva + pe.code_size - 4, bytes, 4));
    EXPECT_FALSE(image.read(TestPe::kCodeRva + pe.code_size - 2, bytes, 4));
    EXPECT_FALSE(PeFileImage("MZ").valid());
    EXPECT_FALSE(PeFileImage(pe.build().substr(0, 0x100)).valid());
}

}  // namespace
}  // namespace roadsum::testing
