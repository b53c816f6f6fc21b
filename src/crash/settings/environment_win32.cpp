#include <windows.h>
#include <shlobj.h>

#include "crash/process/file_version.h"
#include "crash/settings/settings_win32.h"

namespace roadsum {

namespace {

HMODULE as_module(ModuleHandle module) { return reinterpret_cast<HMODULE>(module); }

bool readable(DWORD protect) {
    if (protect & (PAGE_GUARD | PAGE_NOACCESS)) return false;
    return (protect & (PAGE_READONLY | PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READ | PAGE_EXECUTE_READWRITE |
                       PAGE_EXECUTE_WRITECOPY)) != 0;
}

// How many bytes from address on can be read, up to `wanted`.
std::size_t readable_bytes(std::uintptr_t address, std::size_t wanted) {
    std::size_t total = 0;
    while (total < wanted) {
        MEMORY_BASIC_INFORMATION info;
        if (!VirtualQuery(reinterpret_cast<const void*>(address + total), &info, sizeof info)) break;
        if (info.State != MEM_COMMIT || !readable(info.Protect)) break;
        auto end = reinterpret_cast<std::uintptr_t>(info.BaseAddress) + info.RegionSize;
        total = end - address;
    }
    return total < wanted ? total : wanted;
}

}  // namespace

ModuleHandle Win32SettingsEnvironment::executable() const {
    return reinterpret_cast<ModuleHandle>(GetModuleHandleA(nullptr));
}

std::string Win32SettingsEnvironment::module_path(ModuleHandle module) const {
    std::string path(MAX_PATH, '\0');
    for (;;) {
        DWORD n = GetModuleFileNameA(as_module(module), path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) return {};
        if (n < path.size()) {
            path.resize(n);
            return path;
        }
        if (path.size() >= 32768) return {};
        path.resize(path.size() * 2);
    }
}

// The variable holds the address of a zero-terminated text (a "const char*" of the program).
// Every byte is checked to be readable first: a wrong offset must not crash the reporter.
std::string Win32SettingsEnvironment::version_variable(ModuleHandle module, std::int32_t offset) const {
    static constexpr std::size_t kLongest = 255;
    std::uintptr_t variable = module + static_cast<std::uintptr_t>(static_cast<std::intptr_t>(offset));
    if (readable_bytes(variable, sizeof(const char*)) < sizeof(const char*)) return {};
    auto text = reinterpret_cast<std::uintptr_t>(*reinterpret_cast<const char* const*>(variable));
    if (!text) return {};
    std::size_t available = readable_bytes(text, kLongest);
    const char* chars = reinterpret_cast<const char*>(text);
    std::size_t n = 0;
    while (n < available && chars[n]) ++n;
    return std::string(chars, n);
}

std::string Win32SettingsEnvironment::file_version(ModuleHandle module) const {
    return file_version_text(module_path(module));
}

LocalTime Win32SettingsEnvironment::local_time() const {
    SYSTEMTIME t;
    GetLocalTime(&t);
    return {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds};
}

std::string Win32SettingsEnvironment::computer_name() const {
    char name[MAX_COMPUTERNAME_LENGTH + 1];
    DWORD size = sizeof name;
    if (!GetComputerNameA(name, &size)) return {};
    return std::string(name, size);
}

std::optional<std::string> Win32SettingsEnvironment::special_folder(SpecialFolder folder) const {
    char path[MAX_PATH] = {};
    int id = folder == SpecialFolder::UserAppData ? CSIDL_APPDATA : CSIDL_COMMON_APPDATA;
    if (FAILED(SHGetFolderPathA(nullptr, id, nullptr, SHGFP_TYPE_CURRENT, path))) return std::nullopt;
    return std::string(path);
}

const AnsiCodePage& Win32SettingsEnvironment::code_page() const { return system_ansi_code_page(); }

void Win32SettingsEnvironment::show_error(const std::string& text, const std::string& caption) const {
    MessageBoxA(nullptr, text.c_str(), caption.c_str(), MB_OK | MB_ICONERROR | MB_TASKMODAL);
}

ModuleHandle Win32ModuleSource::reporter_module() const {
    HMODULE module = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&as_module), &module);
    return reinterpret_cast<ModuleHandle>(module);
}

ModuleHandle Win32ModuleSource::find_loaded(std::string_view file_name) const {
    return reinterpret_cast<ModuleHandle>(GetModuleHandleA(std::string(file_name).c_str()));
}

std::vector<ModuleHandle> Win32ModuleSource::images() const {
    std::vector<ModuleHandle> modules;
    std::uintptr_t address = 0;
    MEMORY_BASIC_INFORMATION info;
    while (VirtualQuery(reinterpret_cast<const void*>(address), &info, sizeof info)) {
        auto base = reinterpret_cast<ModuleHandle>(info.AllocationBase);
        if (info.Type == MEM_IMAGE && base && (modules.empty() || modules.back() != base)) modules.push_back(base);
        std::uintptr_t next = reinterpret_cast<std::uintptr_t>(info.BaseAddress) + info.RegionSize;
        if (next <= address) break;
        address = next;
    }
    return modules;
}

std::optional<std::vector<std::uint8_t>> Win32ModuleSource::settings_resource(ModuleHandle module) const {
    HRSRC info = FindResourceA(as_module(module), kSettingsResourceName, MAKEINTRESOURCEA(10));  // RT_RCDATA
    if (!info) return std::nullopt;
    DWORD size = SizeofResource(as_module(module), info);
    HGLOBAL handle = LoadResource(as_module(module), info);
    const void* data = handle ? LockResource(handle) : nullptr;
    if (!data) return std::nullopt;
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    return std::vector<std::uint8_t>(bytes, bytes + size);
}

}  // namespace roadsum
