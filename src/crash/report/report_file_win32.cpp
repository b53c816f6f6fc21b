#include "crash/report/report_file_win32.h"

#include <windows.h>

#include "crash/common/scoped_handle_win32.h"
#include "crash/debuginfo/map_file_win32.h"
#include "crash/report/report_file_path.h"

namespace roadsum {

namespace {

// Every folder of the path below its root, from the top down.
bool create_folders(const std::string& path) {
    std::size_t from = 0;
    if (path.size() >= 2 && path[1] == ':') {
        from = 3;
    } else if (path.rfind("\\\\", 0) == 0) {  // \\server\share\ cannot be made
        from = path.find('\\', 2);
        from = from == std::string::npos ? path.size() : path.find('\\', from + 1);
        if (from == std::string::npos) return true;
        ++from;
    }
    for (std::size_t slash = path.find('\\', from); slash != std::string::npos; slash = path.find('\\', slash + 1)) {
        const std::string folder = path.substr(0, slash);
        if (folder.empty() || folder.back() == ':') continue;
        if (!CreateDirectoryA(folder.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) return false;
    }
    return true;
}

// The file, held for this process alone; a writer in another process is waited for a moment.
ScopedFile open_exclusively(const std::string& path, bool& created) {
    const DWORD start = GetTickCount();
    DWORD pause = 2;
    while (true) {
        ScopedFile file(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
        const DWORD error = GetLastError();
        if (file.valid()) {
            created = error != ERROR_ALREADY_EXISTS;
            return file;
        }
        if ((error != ERROR_SHARING_VIOLATION && error != ERROR_LOCK_VIOLATION) || GetTickCount() - start > kReportFileWaitMs)
            return file;
        Sleep(pause);
        pause = pause < 32 ? pause * 2 : pause;
    }
}

bool set_size(HANDLE file, std::uint64_t size) {
    LARGE_INTEGER at;
    at.QuadPart = static_cast<LONGLONG>(size);
    return SetFilePointerEx(file, at, nullptr, FILE_BEGIN) && SetEndOfFile(file);
}

// A read-write view of the first `size` bytes.
struct Mapped {
    ScopedMapping mapping;
    ScopedView view;
    std::uint8_t* bytes() const { return static_cast<std::uint8_t*>(view.get()); }
};

bool map(HANDLE file, std::size_t size, Mapped& out) {
    out.view.reset();
    out.mapping.reset(CreateFileMappingA(file, nullptr, PAGE_READWRITE, 0, static_cast<DWORD>(size), nullptr));
    if (!out.mapping.valid()) return false;
    out.view.reset(MapViewOfFile(out.mapping.get(), FILE_MAP_WRITE, 0, 0, size));
    return out.view.valid();
}

bool write_report(HANDLE file, std::string_view report, const ReportFileRules& rules) {
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file, &size) || size.QuadPart > 0x40000000) return false;  // a mapping must fit
    const std::size_t old_size = static_cast<std::size_t>(size.QuadPart);
    Mapped mapped;
    if (old_size > 0 && !map(file, old_size, mapped)) return false;
    const std::string_view old_content(reinterpret_cast<const char*>(mapped.bytes()), old_size);
    const ReportFileMerge plan = plan_report_merge(old_content, report, rules);
    if (plan.NewSize > old_size) {
        // Room for the new text first: a full disk fails here, before anything has moved.
        mapped = Mapped();
        if (!set_size(file, plan.NewSize)) {
            set_size(file, old_size);
            return false;
        }
        if (!map(file, plan.NewSize, mapped)) {
            mapped = Mapped();
            set_size(file, old_size);
            return false;
        }
    }
    apply_report_merge(mapped.bytes(), old_size, plan);
    const bool flushed = FlushViewOfFile(mapped.bytes(), 0) != 0;
    mapped = Mapped();
    return set_size(file, plan.NewSize) && flushed;
}

}  // namespace

bool SaveReportFile(const std::string& path, std::string_view report, const ReportFileRules& rules) {
    if (path.empty() || !create_folders(path)) return false;
    bool created = false;
    ScopedFile file = open_exclusively(path, created);
    if (!file.valid()) return false;
    const bool saved = write_report(file.get(), report, rules);
    file.reset();
    if (!saved && created) DeleteFileA(path.c_str());  // it was not there before
    return saved;
}

std::string AutoSaveReportPath(const INXSettings& settings) {
    const std::string executable = module_file_path(reinterpret_cast<std::uintptr_t>(GetModuleHandleA(nullptr)));
    return absolute_report_path(settings.BugRepFileName(), executable);
}

bool SaveReport(const TBugReport& report, const std::string& file_name) {
    const INXSettings& settings = report.Settings();
    const std::string path = file_name.empty() ? AutoSaveReportPath(settings) : file_name;
    return SaveReportFile(path, report.Text(), report_file_rules(settings));
}

}  // namespace roadsum
