#include "crash/debuginfo/debug_files.h"

#include <chrono>
#include <ctime>
#include <filesystem>
#include <fstream>

namespace roadsum {

std::string with_extension(const std::string& path, const std::string& extension) {
    const std::size_t slash = path.find_last_of("\\/");
    const std::size_t dot = path.rfind('.');
    const bool has_extension = dot != std::string::npos && (slash == std::string::npos || dot > slash);
    return (has_extension ? path.substr(0, dot) : path) + extension;
}

std::optional<std::string> StdDebugFiles::read(const std::string& path, std::uint64_t offset, std::uint32_t count) const {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    if (size < 0 || offset > static_cast<std::uint64_t>(size) || count > static_cast<std::uint64_t>(size) - offset)
        return std::nullopt;
    std::string data(count, '\0');
    in.seekg(static_cast<std::streamoff>(offset));
    if (count > 0 && !in.read(data.data(), count)) return std::nullopt;
    return data;
}

std::optional<std::string> StdDebugFiles::read_all(const std::string& path) const {
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    if (error || size > kMaxDebugFileSize) return std::nullopt;
    return read(path, 0, static_cast<std::uint32_t>(size));
}

std::optional<DosStamp> StdDebugFiles::write_time(const std::string& path) const {
    std::error_code error;
    const auto written = std::filesystem::last_write_time(path, error);
    if (error) return std::nullopt;
    const auto system = std::chrono::file_clock::to_sys(written);
    const std::time_t t = std::chrono::system_clock::to_time_t(system);
    std::tm local{};
#ifdef _WIN32
    if (localtime_s(&local, &t) != 0) return std::nullopt;
#else
    if (!localtime_r(&t, &local)) return std::nullopt;
#endif
    return dos_stamp({local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec});
}

}  // namespace roadsum
