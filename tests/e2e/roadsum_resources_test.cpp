// The resources that Roadsum.exe carries, read from the file as Windows reads them.
#include <windows.h>

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <utility>

#include "automation.h"
#include "crash/settings/settings_win32.h"
#include "roadsum_version.h"

namespace roadsum::e2e {
namespace {

#pragma pack(push, 2)
struct GroupIconEntry {
    BYTE width, height, colours, reserved;
    WORD planes, bits;
    DWORD bytes;
    WORD id;
};
#pragma pack(pop)

TEST(RoadsumResources, TheIconHoldsFourSizesInTwoColourDepths) {
    HMODULE exe = LoadLibraryExA(ProgramPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(exe, nullptr);
    HRSRC group = FindResourceA(exe, "MAINICON", MAKEINTRESOURCEA(14));  // RT_GROUP_ICON
    ASSERT_NE(group, nullptr);
    auto* dir = static_cast<const WORD*>(LockResource(LoadResource(exe, group)));
    ASSERT_NE(dir, nullptr);
    EXPECT_EQ(dir[1], 1);  // icons
    ASSERT_EQ(dir[2], 8);
    auto* entries = reinterpret_cast<const GroupIconEntry*>(dir + 3);
    std::set<std::pair<int, int>> seen;
    for (int i = 0; i < 8; ++i) seen.insert({entries[i].width, entries[i].bits});
    for (int size : {16, 24, 32, 48})
        for (int bits : {8, 32}) EXPECT_TRUE(seen.count({size, bits})) << size << " pixels, " << bits << " bits";
    // Windows picks and loads each size.
    for (int size : {16, 24, 32, 48}) {
        HICON icon = static_cast<HICON>(LoadImageA(exe, "MAINICON", IMAGE_ICON, size, size, 0));
        ASSERT_NE(icon, nullptr) << size;
        ICONINFO info{};
        ASSERT_TRUE(GetIconInfo(icon, &info));
        BITMAP bm{};
        GetObjectA(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bm, &bm);
        EXPECT_EQ(bm.bmWidth, size);
        if (info.hbmColor) DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
        DestroyIcon(icon);
    }
    FreeLibrary(exe);
}

// The version block, as Explorer's file properties show it, and the file version that bug
// reports print, read by the reporter's own code.
TEST(RoadsumResources, TheVersionBlockNamesTheProgramItsMakerAndTheVersion) {
    const std::string path = ProgramPath();
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
    ASSERT_NE(size, 0u);
    std::string block(size, '\0');
    ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, size, block.data()));

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    ASSERT_GE(length, sizeof *fixed);
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    const DWORD high = ROADSUM_VERSION_MAJOR << 16 | ROADSUM_VERSION_MINOR;
    const DWORD low = ROADSUM_VERSION_PATCH << 16 | ROADSUM_VERSION_TWEAK;
    EXPECT_EQ(std::pair(fixed->dwFileVersionMS, fixed->dwFileVersionLS), std::pair(high, low));
    EXPECT_EQ(std::pair(fixed->dwProductVersionMS, fixed->dwProductVersionLS), std::pair(high, low));
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));
    EXPECT_EQ(fixed->dwFileFlags & fixed->dwFileFlagsMask, 0u);  // neither debug nor pre-release

    WORD* translation = nullptr;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation),
                               &length));
    ASSERT_EQ(length, 4u);  // one language: US English, Unicode
    EXPECT_EQ(std::pair(translation[0], translation[1]), std::pair(WORD{0x0409}, WORD{1200}));

    const std::pair<const char*, const char*> texts[] = {
        {"ProductName", "Roadsum"},
        {"CompanyName", "Pelwin"},
        {"FileDescription", "Roadsum travel cost calculator"},
        {"LegalCopyright", "Copyright (C) 2026 Pelwin"},
        {"OriginalFilename", "Roadsum.exe"},
        {"InternalName", "Roadsum"},
        {"FileVersion", ROADSUM_VERSION_TEXT},
        {"ProductVersion", ROADSUM_VERSION_TEXT},
    };
    for (const auto& [name, expected] : texts) {
        char* value = nullptr;
        const std::string query = std::string("\\StringFileInfo\\040904B0\\") + name;
        ASSERT_TRUE(VerQueryValueA(block.data(), query.c_str(), reinterpret_cast<void**>(&value), &length)) << name;
        EXPECT_EQ(std::string(value, strnlen(value, length)), expected) << name;
    }

    HMODULE exe = LoadLibraryExA(path.c_str(), nullptr, DONT_RESOLVE_DLL_REFERENCES);
    ASSERT_NE(exe, nullptr);
    EXPECT_EQ(Win32SettingsEnvironment().file_version(reinterpret_cast<ModuleHandle>(exe)), ROADSUM_VERSION_TEXT);
    FreeLibrary(exe);
}

}  // namespace
}  // namespace roadsum::e2e
