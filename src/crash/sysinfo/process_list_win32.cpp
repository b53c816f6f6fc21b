#include "crash/sysinfo/process_list.h"

#include <windows.h>
#include <tlhelp32.h>

#include <cstring>

#include "crash/common/scoped_handle_win32.h"
#include "crash/sysinfo/os_info_win32.h"
#include "crash/sysinfo/section_plugins.h"
#include "crash/sysinfo/system_function_win32.h"

namespace roadsum {

namespace {

// OpenProcess reports failure with a null handle.
struct ProcessHandleTraits {
    using Handle = HANDLE;
    static Handle invalid() { return nullptr; }
    static bool close(Handle h) { return CloseHandle(h) != 0; }
};
using ScopedProcess = ScopedHandle<ProcessHandleTraits>;

// Newer systems let a program query little more than this of other users' and protected
// processes.
constexpr DWORD kQueryLimitedInformation = 0x1000;
constexpr ULONG kSystemProcessInformation = 5;

ScopedProcess open_for_query(std::uint32_t id) {
    ScopedProcess process(OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, id));
    if (!process.valid()) process.reset(OpenProcess(kQueryLimitedInformation, FALSE, id));
    return process;
}

std::vector<RunningProcess> tool_help_processes() {
    using SnapshotFunction = HANDLE(WINAPI*)(DWORD, DWORD);
    using WalkFunction = BOOL(WINAPI*)(HANDLE, PROCESSENTRY32*);
    static const auto snapshot = system_function<SnapshotFunction>("kernel32.dll", "CreateToolhelp32Snapshot");
    static const auto first = system_function<WalkFunction>("kernel32.dll", "Process32First");
    static const auto next = system_function<WalkFunction>("kernel32.dll", "Process32Next");
    std::vector<RunningProcess> processes;
    if (!snapshot || !first || !next) return processes;
    ScopedFile list(snapshot(TH32CS_SNAPPROCESS, 0));
    if (!list.valid()) return processes;
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = first(list.get(), &entry); more; more = next(list.get(), &entry))
        processes.push_back({std::string(entry.szExeFile, strnlen(entry.szExeFile, sizeof entry.szExeFile)),
                             entry.th32ProcessID, 0});
    return processes;
}

std::vector<RunningProcess> native_processes() {
    using QueryFunction = LONG(WINAPI*)(ULONG, void*, ULONG, ULONG*);
    static const auto query = system_function<QueryFunction>("ntdll.dll", "NtQuerySystemInformation");
    if (!query) return {};
    ULONG asked = 0;
    query(kSystemProcessInformation, nullptr, 0, &asked);
    auto buffer = query_with_growing_buffer(asked, [](std::vector<std::uint8_t>& b) {
        ULONG returned = 0;
        return query(kSystemProcessInformation, b.data(), static_cast<ULONG>(b.size()), &returned) == 0;
    });
    if (!buffer) return {};
    return parse_process_information(*buffer, static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(buffer->data())),
                                     system_ansi_code_page());
}

class Win32ProcessSystem final : public ProcessSystem {
public:
    std::vector<RunningProcess> running() const override {
        return os_info().Is9x ? tool_help_processes() : native_processes();
    }

    std::string image_path(std::uint32_t id) const override {
        using ModulePathFunction = DWORD(WINAPI*)(HANDLE, HMODULE, LPSTR, DWORD);
        using ImageNameFunction = BOOL(WINAPI*)(HANDLE, DWORD, LPSTR, DWORD*);
        static const auto module_path = system_function<ModulePathFunction>("psapi.dll", "GetModuleFileNameExA");
        // Where the process-status query cannot look (other users', protected and 64-bit
        // processes), newer systems still name the image.
        static const auto image_name = system_function<ImageNameFunction>("kernel32.dll", "QueryFullProcessImageNameA");
        char path[MAX_PATH];
        if (module_path) {
            ScopedProcess process(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, id));
            if (process.valid())
                if (const DWORD n = module_path(process.get(), nullptr, path, sizeof path); n > 0 && n < sizeof path)
                    return std::string(path, n);
        }
        if (image_name) {
            ScopedProcess process(OpenProcess(kQueryLimitedInformation, FALSE, id));
            DWORD size = sizeof path;
            if (process.valid() && image_name(process.get(), 0, path, &size) && size > 0 && size < sizeof path)
                return std::string(path, size);
        }
        return {};
    }

    std::string system_directory() const override {
        char path[MAX_PATH];
        const UINT n = GetSystemDirectoryA(path, sizeof path);
        return n > 0 && n < sizeof path ? std::string(path, n) : std::string();
    }

    ProcessDetails details(std::uint32_t id) const override {
        ProcessDetails details;
        ScopedProcess process = open_for_query(id);
        if (!process.valid()) return details;
        const DWORD priority = GetPriorityClass(process.get());
        details.PriorityClass = priority ? static_cast<int>(priority) : -1;
        if (gui_resources()) {
            details.GdiObjects = gui_resources()(process.get(), GR_GDIOBJECTS);
            details.UserObjects = gui_resources()(process.get(), GR_USEROBJECTS);
        }
        return details;
    }

    bool has_gui_resources() const override { return gui_resources() != nullptr; }

private:
    using GuiResourcesFunction = DWORD(WINAPI*)(HANDLE, DWORD);
    static GuiResourcesFunction gui_resources() {
        static const auto function = system_function<GuiResourcesFunction>("user32.dll", "GetGuiResources");
        return function;
    }
};

}  // namespace

std::string processes_text() { return format_process_list(collect_processes(Win32ProcessSystem())); }

}  // namespace roadsum
