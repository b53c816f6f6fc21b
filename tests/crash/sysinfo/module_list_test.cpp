// The module list: which regions of an address space are modules, and the columns of its text.
#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "crash/sysinfo/module_list.h"

namespace roadsum {
namespace {

constexpr std::uint32_t kCommitted = 0x1000, kReserved = 0x2000, kFree = 0x10000;

MemoryRegion region(std::uint32_t base, std::uint32_t size, std::uint32_t state, std::uint32_t allocation) {
    return {base, size, state, 0x02, allocation};
}

// An address space made of regions, with module file names at some addresses.
ModuleSystem fake_system(std::vector<MemoryRegion> regions, std::map<std::uint32_t, std::string> files) {
    return {
        [regions](std::uint32_t address, MemoryRegion& out) {
            for (const MemoryRegion& r : regions)
                if (address >= r.base && address - r.base < r.size) {
                    out = r;
                    return true;
                }
            return false;
        },
        [files](std::uint32_t base) {
            auto it = files.find(base);
            return it == files.end() ? std::string() : it->second;
        },
        [](const std::string& path) { return path.ends_with(".exe") ? std::string("1.2.3.4") : std::string(); },
    };
}

TEST(ModuleList, ModulesAreTheFirstCommittedRegionOfANamedAllocation) {
    const ModuleSystem system = fake_system(
        {
            region(0x00000000, 0x10000, kCommitted, 0),           // base 0: would name the executable
            region(0x00010000, 0x10000, kFree, 0),
            region(0x00020000, 0x1000, kCommitted, 0x00020000),   // a heap: no file name
            region(0x00021000, 0x3DF000, kFree, 0),
            region(0x00400000, 0x1000, kCommitted, 0x00400000),   // the executable's headers
            region(0x00401000, 0x5000, kCommitted, 0x00400000),   // its sections
            region(0x00406000, 0x1000, kReserved, 0x00406000),    // reserved, though named
            region(0x00407000, 0xFBF9000, kFree, 0),
            region(0x10000000, 0x2000, kReserved, 0x10000000),    // a library whose start is reserved
            region(0x10002000, 0x2000, kCommitted, 0x10000000),
            region(0x10004000, 0x6C8FC000, kFree, 0),
            region(0x7c900000, 0x1000, kCommitted, 0x7c900000),
            region(0x7c901000, 0x1000, kCommitted, 0x7c900000),
            region(0x7c902000, 0x836fe000, kFree, 0),             // up to the end of the address space
        },
        {{0, "C:\\App\\App.exe"},
         {0x00020000, ""},
         {0x00400000, "C:\\App\\App.exe"},
         {0x00401000, "C:\\App\\App.exe"},
         {0x00406000, "C:\\Mapped.dat"},
         {0x10000000, "C:\\Lib\\late.dll"},
         {0x7c900000, "C:\\WINDOWS\\system32\\ntdll.dll"}});
    const std::vector<TModuleEntry> modules = collect_modules(system);
    ASSERT_EQ(modules.size(), 2u);
    EXPECT_EQ(modules[0].Handle, 0x00400000u);
    EXPECT_EQ(modules[0].Name, "App.exe");
    EXPECT_EQ(modules[0].Path, "C:\\App\\");
    EXPECT_EQ(modules[0].Version, "1.2.3.4");
    EXPECT_EQ(modules[1].Handle, 0x7c900000u);
    EXPECT_EQ(modules[1].Name, "ntdll.dll");
    EXPECT_EQ(modules[1].Path, "C:\\WINDOWS\\system32\\");
    EXPECT_EQ(modules[1].Version, "");
}

TEST(ModuleList, WalkEndsWhenTheQueryFailsOrStandsStill) {
    EXPECT_TRUE(collect_modules(fake_system({}, {})).empty());
    // A region that claims to end before it starts must not make the walk go round.
    int calls = 0;
    ModuleSystem stuck = fake_system({}, {{0x1000, "C:\\a.dll"}});
    stuck.query = [&calls](std::uint32_t, MemoryRegion& out) {
        ++calls;
        out = region(0x1000, 0xFFFFF000, kCommitted, 0x1000);  // ends at 2^32, i.e. 0
        return calls < 10;
    };
    EXPECT_EQ(collect_modules(stuck).size(), 1u);
    EXPECT_EQ(calls, 1);
}

TEST(ModuleList, ColumnsPadToTheLongestValuePlusOne) {
    const std::vector<TModuleEntry> modules = {
        {0x00400000, "Roadsum.exe", "Z:\\build\\", "1.0.0.0"},
        {0x7bc00000, "ntdll.dll", "C:\\windows\\system32\\", "6.1.7601.24059"},
        {0x0000abcd, "x.dll", "", ""},
    };
    EXPECT_EQ(format_module_list(modules),
              "00400000 Roadsum.exe 1.0.0.0        Z:\\build\\\r\n"
              "7bc00000 ntdll.dll   6.1.7601.24059 C:\\windows\\system32\\\r\n"
              "0000abcd x.dll                      ");
    EXPECT_EQ(format_module_list({}), "");
}

}  // namespace
}  // namespace roadsum
