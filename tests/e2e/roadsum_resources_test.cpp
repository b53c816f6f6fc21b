// The resources that Roadsum.exe carries, read from the file as Windows reads them.
#include <windows.h>

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "automation.h"

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

}  // namespace
}  // namespace roadsum::e2e
