// The operating system as a bug report names it: version numbers, the version enumeration and
// the display name, decided from what the system reports.
#pragma once

#include <cstdint>
#include <string>

namespace roadsum {

// The reporter's enumeration of Windows versions; stored reports and peers know these values,
// so systems newer than Windows 7 keep wvWinNTNew and are told apart by their Name.
enum TWindowsVersion : int {
    wvNone = 0,
    wvWin95 = 1,
    wvWin95OSR2 = 2,
    wvWin98 = 3,
    wvWin98SE = 4,
    wvWinME = 5,
    wvWin9xNew = 6,
    wvWinNT3 = 7,
    wvWinNT4 = 8,
    wvWin2000 = 9,
    wvWinXP = 10,
    wvWin2003 = 11,
    wvWinVista = 12,
    wvWin2008 = 13,
    wvWin7 = 14,
    wvWin2008R2 = 15,
    wvWinNTNew = 16,
};

// The table name of a value ("None", "Windows 95", ..., "Windows NT New"); "" outside the table.
const char* windows_version_name(int value);

// What the system reports, as the Windows adapter reads it.
struct OSVersionFacts {
    std::uint32_t PlatformId = 0;  // 1 the Windows 9x family, 2 the NT family
    std::uint32_t Major = 0, Minor = 0, Build = 0;
    std::string ServicePackText;
    // The extended structure was read: ServicePackMajor and ProductType are known. Otherwise
    // the service pack number comes from the text.
    bool Extended = false;
    std::uint32_t ServicePackMajor = 0;
    std::uint32_t ProductType = 0;  // 1 workstation, 2 domain controller, 3 server
    // System metrics.
    bool ServerR2 = false, TabletPC = false, Starter = false, MediaCenter = false;
    bool Is64Bit = false;  // the native processor architecture is x64
};

// The operating-system record.
struct TOSInfo {
    std::uint32_t Major = 0, Minor = 0;
    std::uint32_t Build = 0;  // on the Windows 9x family only the low 16 bits
    std::string ServicePackText;
    bool Is9x = false, IsNT = false;
    int Enum9x = wvNone, EnumNT = wvNone;  // the other family's is wvNone
    int Enum = wvNone;
    std::uint32_t ServicePack = 0;
    bool Is64Bit = false;
    std::string Name;  // with the edition suffixes and the service-pack text
};

TOSInfo decide_os_info(const OSVersionFacts& facts);

// The header's form: the name followed by " build " and the build number.
std::string os_build_text(const TOSInfo& os);

}  // namespace roadsum
