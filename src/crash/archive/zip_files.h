// Packs files into a ZIP archive: the routine behind the report and screenshot archives. The
// files come through a small file-system interface (Win32 in the program, fakes in tests).
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "crash/archive/dos_stamp.h"
#include "crash/common/byte_sink.h"

namespace roadsum {

struct ZipSourceFile {
    std::vector<std::uint8_t> bytes;
    DosStamp stamp;                // last write, in local time
    std::uint32_t attributes = 0;  // as the file system reports them
};

class ZipFileSystem {
public:
    virtual ~ZipFileSystem() = default;
    // Creates the file, replacing an existing one; nullptr when that fails.
    virtual std::unique_ptr<ByteSink> create(const std::wstring& path) = 0;
    // The whole file; nullopt when it cannot be opened or read, or does not fit into memory.
    virtual std::optional<ZipSourceFile> read(const std::wstring& path) = 0;
    virtual void remove(const std::wstring& path) = 0;
};

// Writes `archive` with the files of `sources` in order, each stored under the name of the same
// position in `stored_names`, or under its own file name when that is missing or empty.
// Unreadable files are skipped. When nothing was written or a write failed, the archive is
// deleted and the result is false.
bool zip_files(ZipFileSystem& fs, const std::wstring& archive, const std::vector<std::wstring>& sources,
               const std::vector<std::wstring>& stored_names = {});

// A path's last part after '\', '/' or a drive colon.
std::wstring_view name_without_path(std::wstring_view path);

// UTF-16 (Windows) or UTF-32 text as UTF-8; broken surrogates become U+FFFD.
std::string utf8_from_wide(std::wstring_view text);

}  // namespace roadsum
