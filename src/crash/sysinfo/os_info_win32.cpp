#include "crash/sysinfo/os_info_win32.h"

#include <cstring>

#include "crash/sysinfo/system_function_win32.h"

namespace roadsum {

namespace {

constexpr DWORD kWindows9xBit = 0x80000000;
constexpr WORD kArchitectureX64 = 9;

// The service-pack text of the wide structures: the low byte of each character.
std::string narrow_service_pack(const WCHAR* text) {
    std::string narrow;
    for (int i = 0; i < 128 && text[i]; ++i) narrow += static_cast<char>(text[i] & 0xFF);
    return narrow;
}

// The NT family's version, extended structure first. The system's own version query is the
// true one; the documented query answers 6.2 on newer systems to programs without a manifest
// that names them.
bool read_nt_version(OSVersionFacts& f) {
    using GetVersionFunction = LONG(WINAPI*)(OSVERSIONINFOW*);
    static const auto true_version = system_function<GetVersionFunction>("ntdll.dll", "RtlGetVersion");
    auto query = [](OSVERSIONINFOW* info) {
        if (true_version && true_version(info) == 0) return true;
        return GetVersionExW(info) != 0;
    };
    OSVERSIONINFOEXW ex{};
    ex.dwOSVersionInfoSize = sizeof ex;
    OSVERSIONINFOW& info = *reinterpret_cast<OSVERSIONINFOW*>(&ex);
    f.Extended = query(&info);
    if (!f.Extended) {
        ex = {};
        info.dwOSVersionInfoSize = sizeof info;
        if (!query(&info)) return false;
    } else {
        f.ServicePackMajor = ex.wServicePackMajor;
        f.ProductType = ex.wProductType;
    }
    f.PlatformId = info.dwPlatformId;
    f.Major = info.dwMajorVersion;
    f.Minor = info.dwMinorVersion;
    f.Build = info.dwBuildNumber;
    f.ServicePackText = narrow_service_pack(info.szCSDVersion);
    return true;
}

bool read_9x_version(OSVersionFacts& f) {
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof info;
    if (!GetVersionExA(&info)) return false;
    f.PlatformId = info.dwPlatformId;
    f.Major = info.dwMajorVersion;
    f.Minor = info.dwMinorVersion;
    f.Build = info.dwBuildNumber;
    f.ServicePackText.assign(info.szCSDVersion, strnlen(info.szCSDVersion, sizeof info.szCSDVersion));
    return true;
}

OSVersionFacts read_os_version_facts() {
    OSVersionFacts f;
    if (GetVersion() & kWindows9xBit)
        read_9x_version(f);
    else
        read_nt_version(f);
    f.ServerR2 = GetSystemMetrics(SM_SERVERR2) != 0;
    f.TabletPC = GetSystemMetrics(SM_TABLETPC) != 0;
    f.Starter = GetSystemMetrics(SM_STARTER) != 0;
    f.MediaCenter = GetSystemMetrics(SM_MEDIACENTER) != 0;
    using NativeInfoFunction = void(WINAPI*)(SYSTEM_INFO*);
    if (auto native_info = system_function<NativeInfoFunction>("kernel32.dll", "GetNativeSystemInfo")) {
        SYSTEM_INFO si{};
        native_info(&si);
        f.Is64Bit = si.wProcessorArchitecture == kArchitectureX64;
    }
    return f;
}

}  // namespace

TOSInfo os_info() {
    static const TOSInfo os = decide_os_info(read_os_version_facts());
    return os;
}

}  // namespace roadsum
