#include "crash/debuginfo/map_file_win32.h"

#include <windows.h>

#include <atomic>

#include "crash/common/little_endian.h"
#include "crash/common/scoped_handle_win32.h"

namespace roadsum {

namespace {

ScopedFile open_for_reading(const std::string& path) {
    return ScopedFile(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

}  // namespace

LoadedModuleImage::LoadedModuleImage(std::uintptr_t module) : base_(static_cast<std::uint32_t>(module)) {
    // The image size bounds every later read; it comes from the headers, read through the
    // fault-tolerant reader like everything else.
    std::uint8_t dos[0x40], size[4];
    if (!reader_.try_read(base_, dos, sizeof dos) || dos[0] != 'M' || dos[1] != 'Z') return;
    const std::uint32_t pe = get_le32(dos + 0x3C);
    if (pe > 0x10000000u || !reader_.try_read(base_ + pe + 24 + 56, size, 4)) return;
    size_ = get_le32(size);
}

bool LoadedModuleImage::read(std::uint32_t rva, void* buffer, std::uint32_t count) const {
    if (rva >= size_ || count > size_ - rva) return false;
    return reader_.try_read(base_ + rva, buffer, count);
}

std::optional<std::string> Win32DebugFiles::read(const std::string& path, std::uint64_t offset,
                                                 std::uint32_t count) const {
    ScopedFile file = open_for_reading(path);
    LARGE_INTEGER size{};
    if (!file.valid() || !GetFileSizeEx(file.get(), &size)) return std::nullopt;
    const auto length = static_cast<std::uint64_t>(size.QuadPart);
    if (offset > length || count > length - offset) return std::nullopt;
    LARGE_INTEGER at{};
    at.QuadPart = static_cast<LONGLONG>(offset);
    if (!SetFilePointerEx(file.get(), at, nullptr, FILE_BEGIN)) return std::nullopt;
    std::string data(count, '\0');
    DWORD done = 0;
    if (count > 0 && (!ReadFile(file.get(), data.data(), count, &done, nullptr) || done != count)) return std::nullopt;
    return data;
}

std::optional<std::string> Win32DebugFiles::read_all(const std::string& path) const {
    WIN32_FILE_ATTRIBUTE_DATA attributes{};
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &attributes) ||
        (attributes.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return std::nullopt;
    const std::uint64_t size = std::uint64_t{attributes.nFileSizeHigh} << 32 | attributes.nFileSizeLow;
    if (size > kMaxDebugFileSize) return std::nullopt;
    return read(path, 0, static_cast<std::uint32_t>(size));
}

std::optional<DosStamp> Win32DebugFiles::write_time(const std::string& path) const {
    WIN32_FILE_ATTRIBUTE_DATA attributes{};
    FILETIME local{};
    WORD date = 0, time = 0;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &attributes) ||
        !FileTimeToLocalFileTime(&attributes.ftLastWriteTime, &local) || !FileTimeToDosDateTime(&local, &date, &time))
        return std::nullopt;
    DosStamp stamp;
    stamp.date = date;
    stamp.time = time;
    return stamp;
}

std::string module_file_path(std::uintptr_t module) {
    char path[MAX_PATH];
    const DWORD n = GetModuleFileNameA(reinterpret_cast<HMODULE>(module), path, MAX_PATH);
    return n > 0 && n < MAX_PATH ? std::string(path, n) : std::string();
}

// Never destroyed: a report may still resolve addresses while statics go away.
const Win32DebugFiles& process_files() {
    static const Win32DebugFiles* files = new Win32DebugFiles;
    return *files;
}

MapFileCache& ProcessMapFileCache() {
    static MapFileCache* cache = new MapFileCache(process_files());
    return *cache;
}

namespace {
std::atomic<MinDebugInfoReader> process_min_debug_info{nullptr};
}  // namespace

void SetProcessMinDebugInfoReader(MinDebugInfoReader reader) { process_min_debug_info = reader; }

std::shared_ptr<const TMapFile> MapFileOfModule(std::uintptr_t module) {
    const std::string path = module_file_path(module);
    if (path.empty()) return std::make_shared<const TMapFile>();
    return ProcessMapFileCache().Get(path, [&] {
        const LoadedModuleImage image(module);
        MapFileSources sources;
        sources.image = &image;
        sources.module_path = path;
        sources.files = &process_files();
        sources.min_debug_info = process_min_debug_info;
        return TMapFile::Create(sources);
    });
}

}  // namespace roadsum
