#include "crash/common/stdio_file.h"

#include <sys/stat.h>

#include <string_view>

namespace roadsum {

namespace {

bool seek(std::FILE* f, std::uint64_t offset, int whence) {
#ifdef _WIN32
    return _fseeki64(f, static_cast<long long>(offset), whence) == 0;
#else
    return fseeko(f, static_cast<off_t>(offset), whence) == 0;
#endif
}

std::int64_t tell(std::FILE* f) {
#ifdef _WIN32
    return _ftelli64(f);
#else
    return ftello(f);
#endif
}

}  // namespace

StdioFile::StdioFile(const std::string& path, const char* mode) : file_(std::fopen(path.c_str(), mode)) {
    if (file_ && std::string_view(mode).find_first_of("wa+") != std::string_view::npos)
        std::setvbuf(file_, nullptr, _IONBF, 0);
}

std::optional<std::uint64_t> StdioFile::Size() {
    if (!file_ || !seek(file_, 0, SEEK_END)) return std::nullopt;
    const std::int64_t size = tell(file_);
    if (size < 0 || !seek(file_, 0, SEEK_SET)) return std::nullopt;
    return static_cast<std::uint64_t>(size);
}

bool StdioFile::Seek(std::uint64_t offset) { return file_ && seek(file_, offset, SEEK_SET); }

bool StdioFile::Close() {
    if (!file_) return false;
    const bool flushed = std::fflush(file_) == 0 && !std::ferror(file_);
    const bool closed = std::fclose(file_) == 0;
    file_ = nullptr;
    return flushed && closed;
}

PathKind KindOfPath(const std::string& path) {
    struct stat s {};
    if (stat(path.c_str(), &s) != 0) return PathKind::None;
    if (S_ISREG(s.st_mode)) return PathKind::File;
    return S_ISDIR(s.st_mode) ? PathKind::Folder : PathKind::Other;
}

std::optional<std::int64_t> LastWriteTime(const std::string& path) {
    struct stat s {};
    if (stat(path.c_str(), &s) != 0) return std::nullopt;
    return static_cast<std::int64_t>(s.st_mtime);
}

}  // namespace roadsum
