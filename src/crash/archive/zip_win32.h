// The Win32 side of the compression routines: ZIP archives of real files (their local-time
// stamps and attributes) and deflating or inflating whole files through mapped views, with
// 64-bit lengths so files beyond the address space pass through in pieces.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "crash/archive/zip_files.h"

namespace roadsum {

class Win32ZipFileSystem final : public ZipFileSystem {
public:
    std::unique_ptr<ByteSink> create(const std::wstring& path) override;
    // Opened sharing read and write, so files that others still write can be packed.
    std::optional<ZipSourceFile> read(const std::wstring& path) override;
    void remove(const std::wstring& path) override;
};

// zip_files over the real file system.
bool zip_files(const std::wstring& archive, const std::vector<std::wstring>& sources,
               const std::vector<std::wstring>& stored_names = {});

// Bytes of the file mapped at a time; rounded up to the system's allocation granularity.
inline constexpr std::uint32_t kMappedViewBytes = 8u << 20;

// Deflates the whole source file into a raw stream in `destination` (created or replaced).
// Result: the stream's length, or -1; a destination that was not completed is deleted.
std::int64_t compress_file(const std::wstring& source, const std::wstring& destination,
                           std::uint32_t view_bytes = kMappedViewBytes);

// Inflates the raw stream in the source file into `destination`. Result: the decompressed
// length, or -1 when a file fails or the stream is corrupt or ends early (the destination is
// then deleted).
std::int64_t uncompress_file(const std::wstring& source, const std::wstring& destination,
                             std::uint32_t view_bytes = kMappedViewBytes);

}  // namespace roadsum
