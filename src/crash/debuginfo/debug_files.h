// The files that debug information is read from: side files beside the module, the module
// file itself (TD32 data) and their last-write times.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "crash/archive/dos_stamp.h"

namespace roadsum {

// Side files larger than this are not debug information of a 32-bit module.
inline constexpr std::uint64_t kMaxDebugFileSize = 256ull << 20;

class DebugFileAccess {
public:
    virtual ~DebugFileAccess() = default;
    // count bytes from offset on; nullopt when the file or the range is not there.
    virtual std::optional<std::string> read(const std::string& path, std::uint64_t offset, std::uint32_t count) const = 0;
    // The whole file, when it is not larger than kMaxDebugFileSize.
    virtual std::optional<std::string> read_all(const std::string& path) const = 0;
    // The last-write time in local time.
    virtual std::optional<DosStamp> write_time(const std::string& path) const = 0;
};

// Through the C++ library; the native tree and the tools use it.
class StdDebugFiles final : public DebugFileAccess {
public:
    std::optional<std::string> read(const std::string& path, std::uint64_t offset, std::uint32_t count) const override;
    std::optional<std::string> read_all(const std::string& path) const override;
    std::optional<DosStamp> write_time(const std::string& path) const override;
};

// No files at all: only what the module itself holds is read.
class NoDebugFiles final : public DebugFileAccess {
public:
    std::optional<std::string> read(const std::string&, std::uint64_t, std::uint32_t) const override { return {}; }
    std::optional<std::string> read_all(const std::string&) const override { return {}; }
    std::optional<DosStamp> write_time(const std::string&) const override { return {}; }
};

// The path with its extension (after the last '.' of the file name) replaced, or added.
std::string with_extension(const std::string& path, const std::string& extension);

}  // namespace roadsum
