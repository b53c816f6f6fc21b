// Naming the operating system: both families' version tables, the newer systems after the
// table, service packs from either structure and the edition suffixes.
#include <gtest/gtest.h>

#include "crash/sysinfo/os_info.h"

namespace roadsum {
namespace {

OSVersionFacts nt(std::uint32_t major, std::uint32_t minor, std::uint32_t build, std::uint32_t product_type) {
    OSVersionFacts f;
    f.PlatformId = 2;
    f.Major = major;
    f.Minor = minor;
    f.Build = build;
    f.Extended = true;
    f.ProductType = product_type;
    return f;
}

constexpr std::uint32_t kWorkstation = 1, kDomainController = 2, kServer = 3;

TEST(OsInfo, TableNames) {
    const char* expected[] = {"None",           "Windows 95",      "Windows 95 OSR-2", "Windows 98",    "Windows 98 SE",
                              "Windows ME",     "Windows 9x New",  "Windows NT 3",     "Windows NT 4",  "Windows 2000",
                              "Windows XP",     "Windows 2003",    "Windows Vista",    "Windows 2008",  "Windows 7",
                              "Windows 2008 R2", "Windows NT New"};
    for (int i = 0; i <= wvWinNTNew; ++i) EXPECT_STREQ(windows_version_name(i), expected[i]) << i;
    EXPECT_STREQ(windows_version_name(-1), "");
    EXPECT_STREQ(windows_version_name(17), "");
}

TEST(OsInfo, Windows9xFamily) {
    struct Case {
        std::uint32_t major, minor, build;
        int value;
    };
    // The family keeps major and minor in the build's high word; only the low 16 bits count.
    const Case cases[] = {
        {3, 95, 0, wvNone},           {4, 0, 950, wvWin95},         {4, 0, 1000, wvWin95},
        {4, 0, 1001, wvWin95OSR2},    {4, 3, 1212, wvWin95OSR2},    {4, 10, 1998, wvWin98},
        {4, 10, 2000, wvWin98},       {4, 10, 2222, wvWin98SE},     {4, 10, 0x040A08AE, wvWin98SE},
        {4, 10, 2700, wvWin98SE},     {4, 10, 2701, wvWinME},       {4, 11, 0, wvWinME},
        {4, 90, 3000, wvWinME},       {4, 90, 0x045A0BB8, wvWinME}, {4, 91, 0, wvWin9xNew},
        {5, 0, 0, wvWin9xNew},
    };
    for (const Case& c : cases) {
        OSVersionFacts f;
        f.PlatformId = 1;
        f.Major = c.major;
        f.Minor = c.minor;
        f.Build = c.build;
        f.ServicePackText = " A ";
        f.MediaCenter = f.ServerR2 = f.Is64Bit = true;  // no suffixes on this family
        const TOSInfo os = decide_os_info(f);
        SCOPED_TRACE(testing::Message() << c.major << "." << c.minor << "." << c.build);
        EXPECT_TRUE(os.Is9x);
        EXPECT_FALSE(os.IsNT);
        EXPECT_EQ(os.Enum, c.value);
        EXPECT_EQ(os.Enum9x, c.value);
        EXPECT_EQ(os.EnumNT, wvNone);
        EXPECT_EQ(os.Build, c.build & 0xFFFF);
        EXPECT_EQ(os.Name, windows_version_name(c.value));
        EXPECT_EQ(os.ServicePack, 0u);
        EXPECT_TRUE(os.Is64Bit);
    }
}

TEST(OsInfo, NtFamily) {
    struct Case {
        std::uint32_t major, minor, build, product_type;
        int value;
        const char* name;
    };
    const Case cases[] = {
        {3, 51, 1057, kWorkstation, wvWinNT3, "Windows NT 3"},
        {4, 0, 1381, kServer, wvWinNT4, "Windows NT 4"},
        {5, 0, 2195, kServer, wvWin2000, "Windows 2000"},
        {5, 1, 2600, kWorkstation, wvWinXP, "Windows XP"},
        {5, 1, 2600, kServer, wvWinXP, "Windows XP"},
        {5, 2, 3790, kWorkstation, wvWinXP, "Windows XP"},  // XP x64
        {5, 2, 3790, kServer, wvWin2003, "Windows 2003"},
        {5, 2, 3790, kDomainController, wvWin2003, "Windows 2003"},
        {6, 0, 6002, kWorkstation, wvWinVista, "Windows Vista"},
        {6, 0, 6002, kServer, wvWin2008, "Windows 2008"},
        {6, 1, 7601, kWorkstation, wvWin7, "Windows 7"},
        {6, 1, 7601, kServer, wvWin2008R2, "Windows 2008 R2"},
        // After the table: the value stays, the name says what the machine is.
        {6, 2, 9200, kWorkstation, wvWinNTNew, "Windows 8"},
        {6, 2, 9200, kServer, wvWinNTNew, "Windows 2012"},
        {6, 3, 9600, kWorkstation, wvWinNTNew, "Windows 8.1"},
        {6, 3, 9600, kDomainController, wvWinNTNew, "Windows 2012 R2"},
        {6, 4, 9841, kWorkstation, wvWinNTNew, "Windows 10"},
        {10, 0, 10240, kWorkstation, wvWinNTNew, "Windows 10"},
        {10, 0, 19045, kWorkstation, wvWinNTNew, "Windows 10"},
        {10, 0, 21999, kWorkstation, wvWinNTNew, "Windows 10"},
        {10, 0, 22000, kWorkstation, wvWinNTNew, "Windows 11"},
        {10, 0, 26100, kWorkstation, wvWinNTNew, "Windows 11"},
        {10, 0, 14393, kServer, wvWinNTNew, "Windows 2016"},
        {10, 0, 17763, kServer, wvWinNTNew, "Windows 2019"},
        {10, 0, 20348, kServer, wvWinNTNew, "Windows 2022"},
        {10, 0, 26100, kDomainController, wvWinNTNew, "Windows 2025"},
        {10, 1, 30000, kWorkstation, wvWinNTNew, "Windows NT New"},
        {11, 0, 30000, kWorkstation, wvWinNTNew, "Windows NT New"},
    };
    for (const Case& c : cases) {
        const TOSInfo os = decide_os_info(nt(c.major, c.minor, c.build, c.product_type));
        SCOPED_TRACE(testing::Message() << c.major << "." << c.minor << "." << c.build << " type " << c.product_type);
        EXPECT_TRUE(os.IsNT);
        EXPECT_FALSE(os.Is9x);
        EXPECT_EQ(os.Enum, c.value);
        EXPECT_EQ(os.EnumNT, c.value);
        EXPECT_EQ(os.Enum9x, wvNone);
        EXPECT_EQ(os.Build, c.build);
        EXPECT_EQ(os.Name, c.name);
    }
}

TEST(OsInfo, UnknownPlatformIsNone) {
    OSVersionFacts f;
    f.PlatformId = 0;
    f.Major = 3;
    f.Minor = 11;
    const TOSInfo os = decide_os_info(f);
    EXPECT_FALSE(os.Is9x || os.IsNT);
    EXPECT_EQ(os.Enum, wvNone);
    EXPECT_EQ(os.Name, "None");
}

TEST(OsInfo, SuffixesInOrderThenServicePack) {
    OSVersionFacts f = nt(5, 1, 2600, kWorkstation);
    f.MediaCenter = true;
    f.ServicePackText = "Service Pack 2";
    EXPECT_EQ(decide_os_info(f).Name, "Windows XP Media Center Service Pack 2");

    f.ServerR2 = f.TabletPC = f.Starter = f.Is64Bit = true;
    EXPECT_EQ(decide_os_info(f).Name, "Windows XP R2 Tablet PC Starter Media Center x64 Service Pack 2");

    OSVersionFacts r2 = nt(5, 2, 3790, kServer);
    r2.ServerR2 = true;
    EXPECT_EQ(decide_os_info(r2).Name, "Windows 2003 R2");

    // Media Center only before Vista; the other suffixes on every NT version.
    OSVersionFacts seven = nt(6, 1, 7601, kWorkstation);
    seven.MediaCenter = seven.Starter = seven.Is64Bit = true;
    seven.ServicePackText = "Service Pack 1";
    EXPECT_EQ(decide_os_info(seven).Name, "Windows 7 Starter x64 Service Pack 1");

    OSVersionFacts eleven = nt(10, 0, 22631, kWorkstation);
    eleven.TabletPC = eleven.Is64Bit = true;
    EXPECT_EQ(decide_os_info(eleven).Name, "Windows 11 Tablet PC x64");
}

TEST(OsInfo, ServicePackNumberFromEitherStructure) {
    struct Case {
        const char* text;
        std::uint32_t number;
    };
    // The short structure has only the text: the number from its 14th character on.
    const Case short_cases[] = {{"", 0},  {"Service Pack", 0}, {"Service Pack ", 0}, {"Service Pack 2", 2},
                                {"Service Pack 6a", 6}, {"Service Pack 12", 12}, {"Service Pack x", 0}};
    for (const Case& c : short_cases) {
        OSVersionFacts f = nt(4, 0, 1381, 0);
        f.Extended = false;
        f.ServicePackText = c.text;
        EXPECT_EQ(decide_os_info(f).ServicePack, c.number) << c.text;
    }
    OSVersionFacts f = nt(5, 1, 2600, kWorkstation);
    f.ServicePackText = "Service Pack 3";
    f.ServicePackMajor = 2;
    EXPECT_EQ(decide_os_info(f).ServicePack, 2u);

    // Without the extended structure the product type is unknown: 5.2 counts as a server.
    OSVersionFacts unknown = nt(5, 2, 3790, 0);
    unknown.Extended = false;
    EXPECT_EQ(decide_os_info(unknown).Enum, wvWin2003);
}

TEST(OsInfo, HeaderText) {
    OSVersionFacts f = nt(5, 1, 2600, kWorkstation);
    f.ServicePackText = "Service Pack 3";
    EXPECT_EQ(os_build_text(decide_os_info(f)), "Windows XP Service Pack 3 build 2600");
}

}  // namespace
}  // namespace roadsum
