// Files through the C library rather than the stream library: a program that opens files
// only this way does not carry the streams' locale machinery (hundreds of kilobytes).
#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>

namespace roadsum {

// An open file, closed when it goes. Writes are unbuffered, so that one the disk refuses fails
// where it is made: not every C library reports a failed flush when the file is closed.
class StdioFile {
public:
    StdioFile(const std::string& path, const char* mode);
    ~StdioFile() { Close(); }
    StdioFile(const StdioFile&) = delete;
    StdioFile& operator=(const StdioFile&) = delete;

    explicit operator bool() const { return file_ != nullptr; }
    // Its size (the position is left at the start); none when it cannot be told.
    std::optional<std::uint64_t> Size();
    bool Seek(std::uint64_t offset);
    // Reads up to `count` bytes; the number read.
    std::size_t Read(void* buffer, std::size_t count) { return file_ ? std::fread(buffer, 1, count, file_) : 0; }
    bool Write(const void* bytes, std::size_t count) { return file_ && std::fwrite(bytes, 1, count, file_) == count; }
    // False when it was not open or its last writes failed (a full disk may only show here).
    bool Close();

private:
    std::FILE* file_;
};

// What the file system says of a path.
enum class PathKind { None, File, Folder, Other };
PathKind KindOfPath(const std::string& path);
// The last-write time, in seconds since 1970; none when the path cannot be asked.
std::optional<std::int64_t> LastWriteTime(const std::string& path);

}  // namespace roadsum
