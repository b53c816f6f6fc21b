#include "win32_test_files.h"

#include <filesystem>
#include <stdexcept>

#include "crash/common/scoped_handle_win32.h"

namespace roadsum::testing {

std::wstring scratch_dir(const std::wstring& name) {
    const std::filesystem::path dir = std::filesystem::path(L"zip_scratch") / name;
    if (std::filesystem::exists(dir)) {
        // Read-only files of an earlier run cannot be deleted as they are.
        for (const auto& entry : std::filesystem::recursive_directory_iterator(dir))
            SetFileAttributesW(entry.path().c_str(), FILE_ATTRIBUTE_NORMAL);
        std::filesystem::remove_all(dir);
    }
    std::filesystem::create_directories(dir);
    return dir.wstring();
}

void write_wide_file(const std::wstring& path, ByteView bytes) {
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    ScopedFile file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    if (!file.valid() || !WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
        written != bytes.size())
        throw std::runtime_error("cannot write a test file");
}

std::vector<std::uint8_t> read_wide_file(const std::wstring& path) {
    ScopedFile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    LARGE_INTEGER size{};
    if (!file.valid() || !GetFileSizeEx(file.get(), &size)) throw std::runtime_error("cannot read a test file");
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size.QuadPart));
    DWORD got = 0;
    if (!ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr) || got != bytes.size())
        throw std::runtime_error("cannot read a test file");
    return bytes;
}

bool file_exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::uint64_t file_size(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return 0;
    return static_cast<std::uint64_t>(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
}

void set_local_write_time(const std::wstring& path, const SYSTEMTIME& local) {
    SYSTEMTIME utc{};
    FILETIME time{};
    ScopedFile file(CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!TzSpecificLocalTimeToSystemTime(nullptr, &local, &utc) || !SystemTimeToFileTime(&utc, &time) ||
        !file.valid() || !SetFileTime(file.get(), nullptr, nullptr, &time))
        throw std::runtime_error("cannot set a file time");
}

}  // namespace roadsum::testing
