#include "crash/archive/zip_win32.h"

#include <windows.h>

#include <algorithm>
#include <new>

#include "crash/common/scoped_handle_win32.h"

namespace roadsum {
namespace {

class FileSink final : public ByteSink {
public:
    explicit FileSink(ScopedFile file) : file_(std::move(file)) {}

    bool write(ByteView bytes) override {
        while (!bytes.empty()) {
            const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
            DWORD written = 0;
            if (!WriteFile(file_.get(), bytes.data(), chunk, &written, nullptr) || written == 0) return false;
            bytes = bytes.subspan(written);
        }
        return true;
    }

    bool flush() override { return file_.reset(); }

private:
    ScopedFile file_;
};

// The clock time at the place of the user when the file was written, with the daylight
// saving rule of that date rather than of today.
DosStamp local_dos_stamp(const FILETIME& utc) {
    SYSTEMTIME system{}, local{};
    if (!FileTimeToSystemTime(&utc, &system) || !SystemTimeToTzSpecificLocalTime(nullptr, &system, &local))
        return {};
    return dos_stamp({local.wYear, local.wMonth, local.wDay, local.wHour, local.wMinute, local.wSecond});
}

}  // namespace

std::unique_ptr<ByteSink> Win32ZipFileSystem::create(const std::wstring& path) {
    ScopedFile file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) return nullptr;
    return std::make_unique<FileSink>(std::move(file));
}

std::optional<ZipSourceFile> Win32ZipFileSystem::read(const std::wstring& path) {
    ScopedFile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    BY_HANDLE_FILE_INFORMATION info{};
    if (!file.valid() || !GetFileInformationByHandle(file.get(), &info)) return std::nullopt;
    const std::uint64_t size = static_cast<std::uint64_t>(info.nFileSizeHigh) << 32 | info.nFileSizeLow;
    if (size > 0xFFFFFFFEu) return std::nullopt;
    ZipSourceFile source;
    try {
        source.bytes.resize(static_cast<std::size_t>(size));
    } catch (const std::exception&) {
        return std::nullopt;
    }
    // Others may write the file meanwhile: take what is there up to the size seen at opening.
    std::size_t done = 0;
    while (done < source.bytes.size()) {
        DWORD got = 0;
        const DWORD want = static_cast<DWORD>(std::min<std::size_t>(source.bytes.size() - done, 1u << 30));
        if (!ReadFile(file.get(), source.bytes.data() + done, want, &got, nullptr)) return std::nullopt;
        if (got == 0) break;
        done += got;
    }
    source.bytes.resize(done);
    source.stamp = local_dos_stamp(info.ftLastWriteTime);
    source.attributes = info.dwFileAttributes;
    return source;
}

void Win32ZipFileSystem::remove(const std::wstring& path) { DeleteFileW(path.c_str()); }

bool zip_files(const std::wstring& archive, const std::vector<std::wstring>& sources,
               const std::vector<std::wstring>& stored_names) {
    Win32ZipFileSystem fs;
    return zip_files(fs, archive, sources, stored_names);
}

}  // namespace roadsum
