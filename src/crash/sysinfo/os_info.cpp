#include "crash/sysinfo/os_info.h"

#include <array>

namespace roadsum {

namespace {

constexpr std::array<const char*, 17> kVersionNames = {
    "None",         "Windows 95",   "Windows 95 OSR-2", "Windows 98",      "Windows 98 SE", "Windows ME",
    "Windows 9x New", "Windows NT 3", "Windows NT 4",   "Windows 2000",    "Windows XP",    "Windows 2003",
    "Windows Vista", "Windows 2008", "Windows 7",       "Windows 2008 R2", "Windows NT New"};

constexpr std::uint32_t kWorkstation = 1;

// build: the low 16 bits; the family keeps the version numbers in the high word.
int windows_9x_version(std::uint32_t major, std::uint32_t minor, std::uint32_t build) {
    if (major <= 3) return wvNone;
    if (major == 4) {
        if (minor < 10) return build <= 1000 ? wvWin95 : wvWin95OSR2;
        if (minor == 10) return build <= 2000 ? wvWin98 : build <= 2700 ? wvWin98SE : wvWinME;
        if (minor <= 90) return wvWinME;
    }
    return wvWin9xNew;
}

int windows_nt_version(const OSVersionFacts& f) {
    const bool workstation = f.ProductType == kWorkstation;
    if (f.Major < 4) return wvWinNT3;
    if (f.Major == 4) return wvWinNT4;
    if (f.Major == 5) {
        if (f.Minor == 0) return wvWin2000;
        return f.Minor == 1 || workstation ? wvWinXP : wvWin2003;
    }
    if (f.Major == 6) {
        if (f.Minor == 0) return workstation ? wvWinVista : wvWin2008;
        if (f.Minor == 1) return workstation ? wvWin7 : wvWin2008R2;
    }
    return wvWinNTNew;
}

// The table stops at Windows 7; the systems after it are named from their true version so that
// a report says what the machine is. Versions not known here keep the table's name.
std::string newer_nt_name(const OSVersionFacts& f) {
    const bool workstation = f.ProductType == kWorkstation;
    if (f.Major == 6 && f.Minor == 2) return workstation ? "Windows 8" : "Windows 2012";
    if (f.Major == 6 && f.Minor == 3) return workstation ? "Windows 8.1" : "Windows 2012 R2";
    // 6.4 was the version of the Windows 10 previews.
    if ((f.Major == 6 && f.Minor >= 4) || (f.Major == 10 && f.Minor == 0)) {
        if (workstation) return f.Build >= 22000 ? "Windows 11" : "Windows 10";
        if (f.Build >= 26100) return "Windows 2025";
        if (f.Build >= 20348) return "Windows 2022";
        if (f.Build >= 17763) return "Windows 2019";
        return "Windows 2016";
    }
    return kVersionNames[wvWinNTNew];
}

// The short structure has only the text: "Service Pack 2" gives 2.
std::uint32_t service_pack_from_text(const std::string& text) {
    if (text.size() <= 13) return 0;
    std::uint32_t n = 0;
    for (std::size_t i = 13; i < text.size() && text[i] >= '0' && text[i] <= '9' && n < 100000; ++i)
        n = n * 10 + static_cast<std::uint32_t>(text[i] - '0');
    return n;
}

}  // namespace

const char* windows_version_name(int value) {
    return value >= 0 && value < static_cast<int>(kVersionNames.size()) ? kVersionNames[value] : "";
}

TOSInfo decide_os_info(const OSVersionFacts& f) {
    TOSInfo os;
    os.Major = f.Major;
    os.Minor = f.Minor;
    os.ServicePackText = f.ServicePackText;
    os.Is64Bit = f.Is64Bit;
    os.Is9x = f.PlatformId == 1;
    os.IsNT = f.PlatformId == 2;
    os.Build = os.Is9x ? f.Build & 0xFFFF : f.Build;
    if (os.Is9x) {
        os.Enum = os.Enum9x = windows_9x_version(f.Major, f.Minor, os.Build);
        os.Name = kVersionNames[os.Enum];
        return os;
    }
    if (!os.IsNT) {
        os.Name = kVersionNames[wvNone];
        return os;
    }
    os.Enum = os.EnumNT = windows_nt_version(f);
    os.ServicePack = f.Extended ? f.ServicePackMajor : service_pack_from_text(f.ServicePackText);
    os.Name = os.Enum == wvWinNTNew ? newer_nt_name(f) : kVersionNames[os.Enum];
    if (f.ServerR2) os.Name += " R2";
    if (f.TabletPC) os.Name += " Tablet PC";
    if (f.Starter) os.Name += " Starter";
    if (f.MediaCenter && os.Enum < wvWinVista) os.Name += " Media Center";
    if (f.Is64Bit) os.Name += " x64";
    if (!f.ServicePackText.empty()) os.Name += " " + f.ServicePackText;
    return os;
}

std::string os_build_text(const TOSInfo& os) { return os.Name + " build " + std::to_string(os.Build); }

}  // namespace roadsum
