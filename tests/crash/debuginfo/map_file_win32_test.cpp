// Debug information on Windows: Roadsum.exe's own, read from the file and from the module
// loaded into this process; this test program's side files; file times and the cache.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "crash/debuginfo/container.h"
#include "crash/debuginfo/map_file_win32.h"
#include "crash/process/pe_headers.h"
#include "crash/settings/ansi_code_page.h"
#include "crash/settings/settings_stream.h"
#include "crash/x86/map_file_symbols.h"
#include "pe_image.h"

namespace roadsum::testing {
namespace {

std::string program_folder() {
    char path[MAX_PATH];
    const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    const std::string own(path, n);
    return own.substr(0, own.find_last_of("\\/") + 1);
}

std::string roadsum_path() { return program_folder() + "Roadsum.exe"; }

std::string file_bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// Where the calculate handler starts, by the symbol table (read by the disassembler's own PE
// reader from the side file that the stripped program links to), and the source line of its
// definition.
struct Handler {
    std::uint32_t rva = 0;
    int line = 0;
};

Handler pricelist_handler() {
    Handler h;
    std::string error, warning;
    const auto image = PeImage::load(roadsum_path(), error, warning);
    EXPECT_EQ(error + warning, "");
    if (!image) return h;
    for (const PeName& n : image->names())  // the function itself, not its cold part
        if (n.name == "roadsum::TRoadsumFrm::PricelistBtnClick(roadsum::TObject*)") h.rva = n.address - image->image_base();
    std::ifstream source(ROADSUM_SOURCE_DIR "/src/ui/roadsum_frm.cpp");
    int number = 0;
    for (std::string text; std::getline(source, text);) {
        ++number;
        if (text.rfind("void TRoadsumFrm::PricelistBtnClick(", 0) == 0) h.line = number;
    }
    return h;
}

void expect_handler_resolved(const TMapFile& m, std::uint32_t base, const Handler& h) {
    ASSERT_TRUE(m.Loaded);
    MapFileInfos infos;
    ASSERT_TRUE(m.GetMapFileInfos(base + h.rva + 3, infos));
    EXPECT_EQ(infos.ModuleName, "Roadsum.exe");
    EXPECT_EQ(infos.UnitName, "RoadsumFrm");
    EXPECT_EQ(infos.PublicName, "TRoadsumFrm.PricelistBtnClick");
    EXPECT_EQ(infos.PublicAddress, base + h.rva);
    EXPECT_EQ(m.GetFunctionStartLine(base + h.rva), h.line);
}

TEST(RoadsumDebugInformation, ResourceOfTheFileResolvesTheCalculateHandler) {
    const Handler h = pricelist_handler();
    ASSERT_NE(h.rva, 0u);
    ASSERT_GT(h.line, 0);
    const PeFileImage image(file_bytes(roadsum_path()));
    ASSERT_TRUE(image.valid());
    const NoDebugFiles none;  // what is found comes from the module itself
    MapFileSources s;
    s.image = &image;
    s.module_path = roadsum_path();
    s.files = &none;
    const TMapFile m = TMapFile::Create(s);
    expect_handler_resolved(m, image.base(), h);
    EXPECT_EQ(m.EntryAddress - image.base(), read_pe_headers(image)->entry_point);
    EXPECT_EQ(m.MinDebugInfo, "");
}

TEST(RoadsumDebugInformation, ModuleLoadedIntoThisProcess) {
    const Handler h = pricelist_handler();
    // Mapped and relocated like a library, without running anything of it.
    HMODULE module = LoadLibraryExA(roadsum_path().c_str(), nullptr, DONT_RESOLVE_DLL_REFERENCES);
    ASSERT_NE(module, nullptr);
    const auto base = static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(module));
    const std::shared_ptr<const TMapFile> m = MapFileOfModule(reinterpret_cast<std::uintptr_t>(module));
    expect_handler_resolved(*m, base, h);
    EXPECT_EQ(MapFileOfModule(reinterpret_cast<std::uintptr_t>(module)), m);  // cached

    // The listing's view of it.
    const MapFileSymbols symbols(m, false);
    SymbolInfo sym;
    ASSERT_TRUE(symbols.symbol_at(base + h.rva + 3, sym));
    EXPECT_EQ(sym.public_name, "TRoadsumFrm.PricelistBtnClick");
    EXPECT_EQ(sym.unit, "RoadsumFrm");
    FreeLibrary(module);
}

TEST(RoadsumDebugInformation, SettingsIdentifyTheDebugInformationBesideAndInside) {
    const PeFileImage image(file_bytes(roadsum_path()));
    const auto headers = read_pe_headers(image);
    ASSERT_TRUE(headers);
    const auto resource = find_resource(image, *headers, "NOX", "EXCEPT");
    ASSERT_TRUE(resource);
    const auto container = read_debug_container(*resource);
    ASSERT_TRUE(container);
    EXPECT_FALSE(container->minimal());
    EXPECT_EQ(file_bytes(program_folder() + "Roadsum.nox"), *resource);

    const auto settings = find_resource(image, *headers, kRtRcdata, "TNOXEXCEPT");
    ASSERT_TRUE(settings);
    const LoadedSettings loaded =
        read_settings_stream({reinterpret_cast<const std::uint8_t*>(settings->data()), settings->size()},
                             Windows1252CodePage());
    std::string min_debug_info;
    for (const SettingValue& v : loaded.entries)
        if (v.name == "MinDebugInfo") min_debug_info = v.text;
    EXPECT_EQ(min_debug_info, container->identification());
}

TEST(RoadsumDebugInformation, SideFilesBesideItAnswerAlike) {
    const Handler h = pricelist_handler();
    const Win32DebugFiles files;
    for (const char* ext : {".map", ".nox"}) {
        MapFileSources s;
        s.module_path = roadsum_path();
        s.side_file = program_folder() + "Roadsum" + ext;
        s.files = &files;
        s.code_start = 0x401000;
        expect_handler_resolved(TMapFile::Create(s), 0x400000, h);
    }
}

__attribute__((noinline)) int marker_function(int x) { return x * 3 + 1; }

TEST(OwnDebugInformation, ThisProgramFindsItselfThroughItsSideFiles) {
    const auto self = reinterpret_cast<std::uintptr_t>(GetModuleHandleA(nullptr));
    const std::shared_ptr<const TMapFile> m = MapFileOfModule(self);
    ASSERT_TRUE(m->Loaded);
    const auto address = static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(&marker_function));
    EXPECT_EQ(m->GetFunctionName(address), "testing.marker_function");
    EXPECT_EQ(m->FindSegment(address).Name, "MapFileWin32Test");
    EXPECT_GT(m->FindLine(address).Line, 0);
    EXPECT_EQ(marker_function(2), 7);
}

class TempFolder {
public:
    TempFolder() {
        char base[MAX_PATH], name[MAX_PATH];
        GetTempPathA(MAX_PATH, base);
        GetTempFileNameA(base, "nox", 0, name);
        DeleteFileA(name);
        CreateDirectoryA(name, nullptr);
        path_ = std::string(name) + "\\";
    }
    ~TempFolder() {
        for (const char* f : {"Copy.exe", "Copy.map", "Copy.nox", "data.bin"}) DeleteFileA((path_ + f).c_str());
        RemoveDirectoryA(path_.c_str());
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

bool set_write_time(const std::string& path, int year) {
    SYSTEMTIME st{};
    st.wYear = static_cast<WORD>(year);
    st.wMonth = 6;
    st.wDay = 15;
    st.wHour = 12;
    FILETIME ft{};
    SystemTimeToFileTime(&st, &ft);
    HANDLE f = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return false;
    const bool ok = SetFileTime(f, nullptr, nullptr, &ft) != 0;
    CloseHandle(f);
    return ok;
}

TEST(Win32DebugFiles, RangesWholeFilesAndTimes) {
    TempFolder dir;
    const std::string path = dir.path() + "data.bin";
    {
        std::ofstream out(path, std::ios::binary);
        out << "0123456789";
    }
    const Win32DebugFiles files;
    EXPECT_EQ(files.read(path, 3, 4), "3456");
    EXPECT_FALSE(files.read(path, 8, 4));
    EXPECT_EQ(files.read_all(path), "0123456789");
    EXPECT_FALSE(files.read_all(dir.path() + "missing.bin"));
    EXPECT_FALSE(files.read_all(dir.path()));  // a folder
    ASSERT_TRUE(set_write_time(path, 2021));
    const auto t2021 = files.write_time(path);
    ASSERT_TRUE(t2021);
    EXPECT_EQ(t2021->date >> 9, 2021 - 1980);
    ASSERT_TRUE(set_write_time(path, 2022));
    EXPECT_EQ(files.write_time(path)->date >> 9, 2022 - 1980);
}

TEST(MapFileCacheOnDisk, ModuleFileChangedIsReadAgain) {
    TempFolder dir;
    const std::string copy = dir.path() + "Copy.exe";
    ASSERT_TRUE(CopyFileA(roadsum_path().c_str(), copy.c_str(), FALSE));
    const Win32DebugFiles files;
    MapFileCache cache(files);
    int loads = 0;
    const auto load = [&] {
        ++loads;
        const PeFileImage image(*files.read_all(copy));
        MapFileSources s;
        s.image = &image;
        s.module_path = copy;
        s.files = &files;
        return TMapFile::Create(s);
    };
    ASSERT_TRUE(set_write_time(copy, 2021));
    const auto first = cache.Get(copy, load);
    ASSERT_TRUE(first->Loaded);
    EXPECT_EQ(cache.Get(copy, load), first);
    EXPECT_EQ(loads, 1);
    ASSERT_TRUE(set_write_time(copy, 2022));
    const auto second = cache.Get(copy, load);
    EXPECT_EQ(loads, 2);
    EXPECT_NE(second, first);
    EXPECT_TRUE(second->Loaded);
    EXPECT_EQ(cache.Count(), 1u);
}

}  // namespace
}  // namespace roadsum::testing
