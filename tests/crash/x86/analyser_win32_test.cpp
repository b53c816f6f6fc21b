// The analyser on real programs built by this tree, read with the disassembler's own image
// reader: functions with cold parts in a sample made for the purpose and in Roadsum.exe.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <map>
#include <memory>

#include "crash/debuginfo/map_file.h"
#include "crash/x86/function_analyser.h"
#include "crash/x86/function_listing.h"
#include "crash/x86/map_file_symbols.h"
#include "pe_image.h"

namespace roadsum {
namespace {

std::string program_folder() {
    char path[MAX_PATH];
    const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    const std::string own(path, n);
    return own.substr(0, own.find_last_of("\\/") + 1);
}

std::string bytes_of(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The names of the stripped Roadsum.exe come from its side file.
PeImage image_of(const std::string& file) {
    std::string error, warning;
    auto image = PeImage::load(program_folder() + file, error, warning);
    if (!image || !warning.empty()) throw std::runtime_error(file + ": " + error + warning);
    return std::move(*image);
}

std::uint32_t address_of(const PeImage& image, const std::string& name) {
    for (const PeName& n : image.names())
        if (n.name == name) return n.address;
    return 0;
}

class ColdSample : public ::testing::Test {
protected:
    PeImage image = image_of("cold_sample.exe");
    PeSymbols symbols{image, "cold_sample.exe"};
    PeMemoryReader reader{image};
    std::uint32_t parent = address_of(image, "checked_ratio(int, int)");
    std::uint32_t cold = address_of(image, "checked_ratio(int, int) [clone .cold]");
    std::uint32_t thrower = address_of(image, "__cxa_throw");

    // The call that throws, found in the analysis: it lies in a cold area.
    void expect_throw_in_cold_part(const TFunctionInfo& info) {
        EXPECT_TRUE(info.Valid) << info.ErrorText;
        const CallInfo* call = nullptr;
        for (const CallInfo& c : info.Calls)
            if (c.Target == thrower) call = &c;
        ASSERT_NE(call, nullptr);
        const CodeArea* area = info.area_containing(call->CodeAddress);
        ASSERT_NE(area, nullptr);
        EXPECT_TRUE(area->Cold);
        EXPECT_GE(call->CodeAddress, cold);
        // The body's range stays the body's.
        EXPECT_EQ(info.CodeStart, parent);
        EXPECT_LT(info.CodeStart + info.CodeLength, cold);
    }
};

TEST_F(ColdSample, TheCompilerPutTheThrowingPathApart) {
    ASSERT_NE(parent, 0u);
    ASSERT_NE(thrower, 0u);
    ASSERT_NE(cold, 0u) << "no cold part: the sample no longer shows what it is for";
    // Other functions lie between the body and its cold part.
    EXPECT_GT(cold, symbols.next_function_after(parent));
}

TEST_F(ColdSample, TheAnalysisTakesInTheColdPartAndTheCallThatThrows) {
    expect_throw_in_cold_part(analyse_function(parent, reader, &symbols));
}

TEST_F(ColdSample, TheDebugInformationNamesTheColdPartAsItsFunction) {
    const std::string path = program_folder() + "cold_sample.exe";
    const PeFileImage file(bytes_of(path));
    MapFileSources sources;
    sources.image = &file;
    sources.module_path = path;
    const struct : DebugFileAccess {
        std::optional<std::string> read(const std::string&, std::uint64_t, std::uint32_t) const override { return {}; }
        std::optional<std::string> read_all(const std::string& path) const override {
            std::string bytes = bytes_of(path);
            if (bytes.empty()) return std::nullopt;
            return bytes;
        }
        std::optional<DosStamp> write_time(const std::string&) const override { return {}; }
    } files;
    sources.files = &files;
    auto map = std::make_shared<const TMapFile>(TMapFile::Create(sources));
    ASSERT_TRUE(map->Loaded);
    const MapFileSymbols debug_symbols(map, true);
    SymbolInfo s;
    ASSERT_TRUE(debug_symbols.symbol_at(cold, s));
    EXPECT_EQ(s.public_address, cold);
    EXPECT_EQ(s.public_name, "checked_ratio");
    // The run-time library's names come from the image; the shape of the analysis from the
    // debug information's names alone.
    const TFunctionInfo info = analyse_function(parent, reader, &debug_symbols);
    const TFunctionInfo by_image = analyse_function(parent, reader, &symbols);
    ASSERT_EQ(info.Areas.size(), by_image.Areas.size());
    for (std::size_t i = 0; i < info.Areas.size(); ++i) {
        EXPECT_EQ(info.Areas[i].Start, by_image.Areas[i].Start);
        EXPECT_EQ(info.Areas[i].Cold, by_image.Areas[i].Cold);
    }
    expect_throw_in_cold_part(info);
}

TEST_F(ColdSample, TheListingMarksTheThrowInTheColdPart) {
    std::uint32_t call_address = 0;
    for (const CallInfo& c : analyse_function(parent, reader, &symbols).Calls)
        if (c.Target == thrower) call_address = c.CodeAddress;
    ListingOptions options;
    options.crash_address = call_address;
    options.limit = 4;
    const std::string text = disassemble_function(parent, reader, &symbols, RuntimeRoutines{}, options);
    char marked[32];
    std::snprintf(marked, sizeof marked, "%08x > call ", call_address);
    const std::size_t at = text.find(marked);
    ASSERT_NE(at, std::string::npos) << text;
    EXPECT_NE(text.find("; __cxa_throw", at), std::string::npos) << text;
    EXPECT_EQ(text.rfind("[...]\r\n", 0), 0u) << text;  // the body lies far before
}

TEST_F(ColdSample, ATailJumpToAnotherFunctionIsNotFollowed) {
    const std::uint32_t forward = address_of(image, "forward_ratio(int, int)");
    ASSERT_NE(forward, 0u);
    const TFunctionInfo info = analyse_function(forward, reader, &symbols);
    EXPECT_TRUE(info.Valid);
    for (const CodeArea& a : info.Areas) {
        EXPECT_GE(a.Start, forward);
        EXPECT_LT(a.End, symbols.next_function_after(forward));
    }
}

bool is_cold_name(const std::string& name) {
    return name.find("[clone .cold") != std::string::npos || name.find(".cold") != std::string::npos;
}

// Every function of the program keeps to its own code: no area starts in, or runs into, code
// that a symbol gives to another function. Code after a bare section symbol (".text...") has no
// owner by name and may be any function's cold block.
TEST(RoadsumFunctions, NoFunctionsAreasReachIntoAnotherFunctionsCode) {
    const PeImage image = image_of("Roadsum.exe");
    const PeSymbols symbols(image, "Roadsum.exe");
    const PeMemoryReader reader(image);
    std::uint32_t code_begin = 0, code_end = 0;
    image.code_range(code_begin, code_end);
    // Names in the code by address; at one address a function's name wins.
    std::map<std::uint32_t, const PeName*> names;
    for (const PeName& n : image.names())
        if (n.address >= code_begin && n.address < code_end && (n.function || n.name.starts_with(".")) &&
            (!names.count(n.address) || n.function))
            names[n.address] = &n;
    int functions = 0, with_cold_part = 0, faults = 0;
    for (const auto& [address, name] : names) {
        if (!name->function || is_cold_name(name->name)) continue;
        ++functions;
        const auto owned = [&, entry = address, &entry_name = name->name](const PeName& n) {
            return n.address == entry || n.name.starts_with(".") ||
                   (n.name.starts_with(entry_name) && is_cold_name(n.name.substr(entry_name.size())));
        };
        const TFunctionInfo info = analyse_function(address, reader, &symbols);
        bool cold = false;
        for (const CodeArea& a : info.Areas) {
            cold |= a.Cold;
            auto it = names.upper_bound(a.Start);
            const bool starts_in_own = it != names.begin() && owned(*std::prev(it)->second);
            bool runs_into_other = false;
            for (; it != names.end() && it->first <= a.End; ++it) runs_into_other |= !owned(*it->second);
            if ((!starts_in_own || runs_into_other) && ++faults <= 10)
                ADD_FAILURE() << name->name << ": area " << std::hex << a.Start << "-" << a.End;
        }
        with_cold_part += cold;
    }
    EXPECT_EQ(faults, 0);
    EXPECT_GT(functions, 1000);
    EXPECT_GT(with_cold_part, 10);
    std::printf("%d functions, %d with a cold part\n", functions, with_cold_part);
}

TEST(FunctionAnalyserOnWindows, AnUnreadableEntryGivesTheSystemsTextOfError87) {
    const PeImage image = image_of("cold_sample.exe");
    const TFunctionInfo info = analyse_function(0x10, PeMemoryReader(image), nullptr);
    char text[256];
    DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, 87, 0, text,
                             sizeof text, nullptr);
    while (n > 0 && (text[n - 1] == '\r' || text[n - 1] == '\n' || text[n - 1] == ' ')) --n;
    ASSERT_GT(n, 0u);
    EXPECT_EQ(info.ErrorCode, 87u);
    EXPECT_EQ(info.ErrorText, std::string(text, n));
}

}  // namespace
}  // namespace roadsum
