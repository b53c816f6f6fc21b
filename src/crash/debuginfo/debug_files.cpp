#include "crash/debuginfo/debug_files.h"

#include <ctime>

#include "crash/common/stdio_file.h"

namespace roadsum {

std::string with_extension(const std::string& path, const std::string& extension) {
    const std::size_t slash = path.find_last_of("\\/");
    const std::size_t dot = path.rfind('.');
    const bool has_extension = dot != std::string::npos && (slash == std::string::npos || dot > slash);
    return (has_extension ? path.substr(0, dot) : path) + extension;
}

namespace {

std::optional<std::string> read_part(StdioFile& in, std::uint64_t offset, std::uint32_t count) {
    const std::optional<std::uint64_t> size = in.Size();
    if (!size || offset > *size || count > *size - offset || !in.Seek(offset)) return std::nullopt;
    std::string data(count, '\0');
    if (in.Read(data.data(), count) != count) return std::nullopt;
    return data;
}

}  // namespace

std::optional<std::string> StdDebugFiles::read(const std::string& path, std::uint64_t offset, std::uint32_t count) const {
    StdioFile in(path, "rb");
    return read_part(in, offset, count);
}

std::optional<std::string> StdDebugFiles::read_all(const std::string& path) const {
    StdioFile in(path, "rb");
    const std::optional<std::uint64_t> size = in.Size();
    if (!size || *size > kMaxDebugFileSize) return std::nullopt;
    return read_part(in, 0, static_cast<std::uint32_t>(*size));
}

std::optional<DosStamp> StdDebugFiles::write_time(const std::string& path) const {
    const std::optional<std::int64_t> written = LastWriteTime(path);
    if (!written) return std::nullopt;
    const std::time_t t = static_cast<std::time_t>(*written);
    std::tm local{};
#ifdef _WIN32
    if (localtime_s(&local, &t) != 0) return std::nullopt;
#else
    if (!localtime_r(&t, &local)) return std::nullopt;
#endif
    return dos_stamp({local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec});
}

}  // namespace roadsum
