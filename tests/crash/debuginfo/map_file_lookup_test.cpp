// Lookups of segments, publics and lines by address.
#include <gtest/gtest.h>

#include "crash/debuginfo/map_file.h"
#include "crash/x86/map_file_symbols.h"
#include "debug_tables_fixture.h"

namespace roadsum::testing {
namespace {

TMapFile sample_map(std::uint32_t code_end = 0x401300) {
    TMapFile m;
    m.Loaded = true;
    m.ModulePath = m.ReportedPath = "C:\\Program Files\\Roadsum\\Roadsum.exe";
    m.ModuleHandle = 0x400000;
    m.ImageSize = 0x10000;
    m.CodeStart = kCodeStart;
    m.CodeEnd = code_end;
    DebugTables t = sample_tables();
    TMfSegment data;
    data.Used = true;
    data.Start = 0x401000;  // overlaps the code: kinds are looked up apart
    data.Length = 0x10;
    data.Name = "Vars";
    t.Segments.push_back(data);
    m.Assign(std::move(t));
    return m;
}

TEST(MapFileSegments, CodeAndDataAreLookedUpApart) {
    const TMapFile m = sample_map();
    EXPECT_EQ(m.FindSegment(0x401000).Name, "Main");
    EXPECT_EQ(m.FindSegment(0x4010FF).Name, "Main");
    EXPECT_EQ(m.FindSegment(0x401100).Name, "RoadsumFrm");
    EXPECT_EQ(m.FindSegment(0x4012FF).Name, "RoadsumFrm");
    EXPECT_FALSE(m.FindSegment(0x401300).Used);
    EXPECT_FALSE(m.FindSegment(0x400FFF).Used);
    EXPECT_EQ(m.FindSegment(0x401004, false).Name, "Vars");
    EXPECT_FALSE(m.FindSegment(0x401010, false).Used);
}

TEST(MapFilePublics, GreatestAddressNotAbove) {
    const TMapFile m = sample_map();
    EXPECT_EQ(m.FindPublic(0x401000).Name, "WinMain");
    EXPECT_EQ(m.FindPublic(0x4010FF).Name, "WinMain");
    EXPECT_EQ(m.FindPublic(0x401150).Name, "@RoadsumFrm@TRoadsumFrm@PricelistBtnClick");
    EXPECT_FALSE(m.FindPublic(0x400FFF).Used);
}

TEST(MapFilePublics, LastPublicOnlyBelowTheCodeEnd) {
    EXPECT_EQ(sample_map().FindPublic(0x4012FF).Name, "@RoadsumFrm@Helper");
    EXPECT_FALSE(sample_map().FindPublic(0x401300).Used);
    EXPECT_EQ(sample_map(0).FindPublic(0x7FFFFFFF).Name, "@RoadsumFrm@Helper");  // end unknown

    TMapFile one;
    one.CodeStart = 0x1000;
    one.CodeEnd = 0x2000;
    DebugTables t;
    t.Publics = {code_public(0x1800, "Only")};
    one.Assign(std::move(t));
    EXPECT_EQ(one.FindPublic(0x1FFF).Name, "Only");
    EXPECT_FALSE(one.FindPublic(0x2000).Used);
    EXPECT_FALSE(one.FindPublic(0x2400).Used);
}

TEST(MapFileLines, RecordOfTheSameSegmentOnly) {
    const TMapFile m = sample_map();
    EXPECT_EQ(m.FindLine(0x401000).Line, 7);
    EXPECT_EQ(m.FindLine(0x40100F).Line, 7);
    EXPECT_EQ(m.FindLine(0x401010).NextAddress, 0x401100u);
    EXPECT_EQ(m.FindLine(0x40111F).Line, 169);
    EXPECT_EQ(m.FindLine(0x40111F).NextAddress, 0x401120u);
    EXPECT_EQ(m.FindLine(0x4012FF).Line, 41);
    EXPECT_EQ(m.FindLine(0x4012FF).NextAddress, 0u);
    // Outside every code segment there is no line.
    EXPECT_EQ(m.FindLine(0x401300).Line, 0);
}

TEST(MapFileLines, AddressBeforeTheFirstRecordOfItsSegmentHasNone) {
    TMapFile m = sample_map();
    DebugTables t = sample_tables();
    t.Lines = {{7, 0x401000}, {9, 0x401010}, {169, 0x401120}};
    m.Assign(std::move(t));
    // The record before it lies in the unit before.
    EXPECT_EQ(m.FindLine(0x401100).Line, 0);
    EXPECT_EQ(m.FindLine(0x40111F).Line, 0);
    EXPECT_EQ(m.FindLine(0x401120).Line, 169);
    EXPECT_EQ(m.FindLine(0x400FF0).Line, 0);
}

TEST(MapFileLines, WithoutRecordsMinimalUnitsSayTheyHaveLines) {
    TMapFile m;
    DebugTables t;
    t.Segments = {code_segment(0x1000, 0x100, "segment0"), code_segment(0x1100, 0x100, "segment1")};
    t.Segments[1].HasLines = 1;
    m.Assign(std::move(t));
    EXPECT_EQ(m.FindLine(0x1050).Line, 0);
    EXPECT_EQ(m.FindLine(0x1150).Line, -1);
    EXPECT_EQ(m.FindLine(0x1250).Line, 0);
}

TEST(MapFileInfos, OneAddressResolved) {
    const TMapFile m = sample_map();
    MapFileInfos i;
    ASSERT_TRUE(m.GetMapFileInfos(0x401124, i));
    EXPECT_EQ(i.ModuleName, "Roadsum.exe");
    EXPECT_EQ(i.UnitName, "RoadsumFrm");
    EXPECT_EQ(i.Line, 172);
    EXPECT_EQ(i.PublicAddress, 0x401100u);
    EXPECT_EQ(i.PublicName, "TRoadsumFrm.PricelistBtnClick");
    ASSERT_TRUE(m.GetMapFileInfos(0x401190, i));
    EXPECT_EQ(i.PublicName, "TRoadsumFrm.Create");
    EXPECT_FALSE(TMapFile().GetMapFileInfos(0x401124, i));
}

TEST(MapFileInfos, FunctionNameAndTheLineOfItsStart) {
    const TMapFile m = sample_map();
    EXPECT_EQ(m.GetFunctionName(0x401130), "TRoadsumFrm.PricelistBtnClick");
    EXPECT_EQ(m.GetFunctionStartLine(0x401130), 169);
    EXPECT_EQ(m.GetFunctionStartLine(0x401200), 40000);
    EXPECT_EQ(m.GetFunctionName(0x400000), "");
    EXPECT_EQ(m.GetFunctionStartLine(0x400000), 0);
}

TEST(MapFilePublics, FoundByUnitAndName) {
    TMapFile m = sample_map();
    const auto by_display = m.FindPublicByName("roadsumfrm", "TRoadsumFrm.PricelistBtnClick");
    ASSERT_TRUE(by_display);
    EXPECT_EQ(by_display->Address, 0x401100u);
    EXPECT_TRUE(m.FindPublicByName("Main", "winmain"));
    EXPECT_FALSE(m.FindPublicByName("Main", "TRoadsumFrm.PricelistBtnClick"));

    DebugTables t;
    // The first public of the unit with the name counts; one of another unit does not.
    t.Segments = {code_segment(0x1000, 0x1000, "System"), code_segment(0x2000, 0x1000, "Other")};
    t.Publics = {code_public(0x1010, "@HandleFinally"), code_public(0x1100, "@HandleOnException"),
                 code_public(0x1200, "@HandleFinally"), code_public(0x2010, "@Halt0")};
    m.Assign(std::move(t));
    const RuntimeRoutines r = runtime_routines(m);
    EXPECT_EQ(r.HandleFinally, 0x1010u);
    EXPECT_EQ(r.HandleOnException, 0x1100u);
    EXPECT_EQ(r.Halt0, 0u);
    EXPECT_EQ(r.HandleAnyException, 0u);
}

TEST(MapFileSymbols, ModuleAndSymbolForTheListing) {
    const MapFileSymbols symbols(std::make_shared<const TMapFile>(sample_map()), true);
    ModuleInfo mod;
    ASSERT_TRUE(symbols.module_at(0x40FFFF, mod));
    EXPECT_EQ(mod.image_begin, 0x400000u);
    EXPECT_EQ(mod.image_end, 0x410000u);
    EXPECT_EQ(mod.code_begin, kCodeStart);
    EXPECT_EQ(mod.file_name, "Roadsum.exe");
    EXPECT_TRUE(mod.main_module);
    EXPECT_FALSE(symbols.module_at(0x410000, mod));
    SymbolInfo sym;
    ASSERT_TRUE(symbols.symbol_at(0x401124, sym));
    EXPECT_EQ(sym.public_name, "TRoadsumFrm.PricelistBtnClick");
    EXPECT_EQ(sym.public_address, 0x401100u);
    EXPECT_EQ(sym.unit, "RoadsumFrm");
    EXPECT_EQ(sym.line, 172);
    EXPECT_FALSE(symbols.symbol_at(0x400800, sym));  // in the image, before any public
}

}  // namespace
}  // namespace roadsum::testing
