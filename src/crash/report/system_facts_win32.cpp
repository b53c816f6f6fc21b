#include "crash/report/system_facts_win32.h"

#include <windows.h>

#include <atomic>

#include "crash/common/file_names.h"
#include "crash/debuginfo/map_file_win32.h"
#include "crash/process/file_version.h"
#include "crash/report/header_values.h"
#include "crash/sysinfo/os_info_win32.h"
#include "crash/sysinfo/registry_reader_win32.h"
#include "crash/sysinfo/size_text.h"
#include "crash/sysinfo/system_function_win32.h"
#include "roadsum_version.h"

namespace roadsum {

namespace {

std::atomic<bool> command_line_in_reports{true};

template <class Function>
std::string text_of(Function read) {
    char buffer[512];
    DWORD size = sizeof buffer;
    if (!read(buffer, &size)) return {};
    return std::string(buffer, strnlen(buffer, sizeof buffer));
}

// The terminal-session client's name, only in a remote session.
std::string wts_client_name() {
    if (!GetSystemMetrics(SM_REMOTESESSION)) return {};
    using Query = BOOL(WINAPI*)(HANDLE, DWORD, int, LPSTR*, DWORD*);
    using Free = void(WINAPI*)(void*);
    static const auto query = system_function<Query>("wtsapi32.dll", "WTSQuerySessionInformationA");
    static const auto free = system_function<Free>("wtsapi32.dll", "WTSFreeMemory");
    constexpr DWORD kCurrentSession = static_cast<DWORD>(-1);
    constexpr int kClientName = 10;
    LPSTR name = nullptr;
    DWORD size = 0;
    if (!query || !free || !query(nullptr, kCurrentSession, kClientName, &name, &size) || !name) return {};
    std::string text(name);
    free(name);
    return text;
}

bool user_is_admin() {
    SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
    PSID administrators = nullptr;
    if (!AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0,
                                  &administrators))
        return false;
    BOOL member = FALSE;
    using Check = BOOL(WINAPI*)(HANDLE, PSID, PBOOL);
    static const auto check = system_function<Check>("advapi32.dll", "CheckTokenMembership");
    const bool admin = check && check(nullptr, administrators, &member) && member;
    FreeSid(administrators);
    return admin;
}

std::string system_language() {
    char name[128];
    const int n = GetLocaleInfoA(GetSystemDefaultLCID(), LOCALE_SENGLANGUAGE, name, sizeof name);
    return n > 1 ? std::string(name, static_cast<std::size_t>(n - 1)) : std::string();
}

std::uint64_t system_up_time_ms() {
    using TickCount64 = ULONGLONG(WINAPI*)();
    static const auto tick64 = system_function<TickCount64>("kernel32.dll", "GetTickCount64");
    return tick64 ? tick64() : GetTickCount();
}

std::uint64_t as_number(const FILETIME& t) {
    return static_cast<std::uint64_t>(t.dwHighDateTime) << 32 | t.dwLowDateTime;
}

std::optional<std::uint64_t> program_up_time_ms() {
    FILETIME created, exited, kernel, user, now;
    if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user)) return std::nullopt;
    GetSystemTimeAsFileTime(&now);
    const std::uint64_t start = as_number(created), end = as_number(now);
    return end > start ? (end - start) / 10000 : 0;
}

std::optional<LocalTime> local_write_time(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    FILETIME local;
    SYSTEMTIME t;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) ||
        !FileTimeToLocalFileTime(&data.ftLastWriteTime, &local) || !FileTimeToSystemTime(&local, &t))
        return std::nullopt;
    return LocalTime{t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds};
}

std::optional<DriveSpace> drive_space(char drive) {
    const char root[] = {drive, ':', '\\', '\0'};
    ULARGE_INTEGER free{};
    if (!GetDiskFreeSpaceExA(root, &free, nullptr, nullptr)) return std::nullopt;
    return DriveSpace{drive, static_cast<std::int64_t>(free.QuadPart)};
}

char drive_letter(const std::string& path) {
    if (path.size() < 2 || path[1] != ':') return '\0';
    return path[0] >= 'a' && path[0] <= 'z' ? static_cast<char>(path[0] - 'a' + 'A') : path[0];
}

// The module that holds this code: the one that carries the reporter.
HMODULE reporter_module() {
    HMODULE module = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&reporter_module), &module);
    return module;
}

// GNU ld and LLVM's linker tell themselves apart by the linker version in the header.
std::uint8_t linker_version(HMODULE module) {
    const auto* base = reinterpret_cast<const std::uint8_t*>(module);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    if (!base || dos->e_magic != IMAGE_DOS_SIGNATURE) return 0;
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS32*>(base + dos->e_lfanew);
    return nt->Signature == IMAGE_NT_SIGNATURE ? nt->OptionalHeader.MajorLinkerVersion : 0;
}

}  // namespace

void SetCommandLineInReports(bool show) { command_line_in_reports = show; }

std::int64_t AllocatedMemory() {
    std::int64_t total = 0;
    MEMORY_BASIC_INFORMATION mbi{};
    for (std::uintptr_t address = 0;
         VirtualQuery(reinterpret_cast<const void*>(address), &mbi, sizeof mbi) == sizeof mbi && mbi.RegionSize;) {
        if (mbi.State == MEM_COMMIT && mbi.Type != MEM_IMAGE) total += static_cast<std::int64_t>(mbi.RegionSize);
        const std::uintptr_t next = reinterpret_cast<std::uintptr_t>(mbi.BaseAddress) + mbi.RegionSize;
        if (next <= address) break;  // the top of the address space
        address = next;
    }
    return total;
}

SystemFacts GatherSystemFacts(const INXSettings& settings) {
    SystemFacts s;
    const Win32RegistryReader registry;
    s.ComputerName = text_of([](char* b, DWORD* n) { return GetComputerNameA(b, n); });
    s.WtsClientName = wts_client_name();
    s.UserName = text_of([](char* b, DWORD* n) { return GetUserNameA(b, n); });
    s.UserIsAdmin = !s.UserName.empty() && user_is_admin();
    const TOSInfo os = os_info();
    const std::string owner_key = registered_owner_key(os.Is9x);
    s.RegisteredOwner = registry.text(RegistryRoot::LocalMachine, owner_key, "RegisteredOwner");
    s.RegisteredOrganization = registry.text(RegistryRoot::LocalMachine, owner_key, "RegisteredOrganization");
    s.OperatingSystem = os_build_text(os);
    s.SystemLanguage = system_language();
    s.SystemUpTimeMs = system_up_time_ms();
    s.ProgramUpTimeMs = program_up_time_ms();
    SYSTEM_INFO system{};
    GetSystemInfo(&system);
    s.ProcessorCount = system.dwNumberOfProcessors;
    s.ProcessorName = registry.text(RegistryRoot::LocalMachine, "hardware\\description\\system\\centralProcessor\\0",
                                    "ProcessorNameString");
    MEMORYSTATUSEX memory{};
    memory.dwLength = sizeof memory;
    if (GlobalMemoryStatusEx(&memory)) s.FreeMemory = memory.ullAvailPhys, s.TotalMemory = memory.ullTotalPhys;
    if (os.Is9x) {
        const std::optional<int> gdi = free_system_resources(FreeResources::Gdi);
        const std::optional<int> user = free_system_resources(FreeResources::User);
        if (gdi && user) s.FreeResources = std::make_pair(static_cast<unsigned>(*gdi), static_cast<unsigned>(*user));
    }
    char windows[MAX_PATH];
    const UINT length = GetWindowsDirectoryA(windows, sizeof windows);
    const std::string executable = module_file_path(reinterpret_cast<std::uintptr_t>(GetModuleHandleA(nullptr)));
    const char windows_drive = length && length < sizeof windows ? drive_letter(windows) : '\0';
    const char program_drive = drive_letter(executable);
    if (windows_drive)
        if (auto d = drive_space(windows_drive)) s.Drives.push_back(*d);
    if (program_drive && program_drive != windows_drive)
        if (auto d = drive_space(program_drive)) s.Drives.push_back(*d);
    DEVMODEA mode{};
    mode.dmSize = sizeof mode;
    if (EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &mode))
        s.DisplayWidth = mode.dmPelsWidth, s.DisplayHeight = mode.dmPelsHeight, s.DisplayBits = mode.dmBitsPerPel;
    s.ProcessId = GetCurrentProcessId();
    s.AllocatedMemory = AllocatedMemory();
    if (command_line_in_reports) s.CommandLine = GetCommandLineA();
    s.Executable = std::string(file_name_of(executable));
    const HMODULE reporter = reporter_module();
    std::string examined = executable;
    if (reporter && reporter != GetModuleHandleA(nullptr)) {
        examined = module_file_path(reinterpret_cast<std::uintptr_t>(reporter));
        s.CurrentModule = std::string(file_name_of(examined));
    }
    s.FileTime = local_write_time(examined);
    s.Version = settings.VersionText();
    if (s.Version == "?") s.Version.clear();  // neither a version variable nor a version resource
    if (const HMODULE bde = GetModuleHandleA("idapi32.dll"))
        s.BdeVersion = file_version_text(module_file_path(reinterpret_cast<std::uintptr_t>(bde)));
    s.CompiledWith = compiled_with_text(compiler_of_module(linker_version(reporter ? reporter : GetModuleHandleA(nullptr))));
    s.ReporterVersion = ROADSUM_VERSION_TEXT;
    s.DecimalSeparator = user_decimal_separator();
    return s;
}

}  // namespace roadsum
