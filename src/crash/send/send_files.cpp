#include "crash/send/send_files.h"

#include <algorithm>
#include <fstream>
#include <vector>

namespace roadsum {

std::optional<std::uint64_t> StreamSendFiles::Size(const std::string& path) {
    std::ifstream file(path, std::ios::binary | std::ios::ate);
    if (!file) return std::nullopt;
    const std::streamoff size = file.tellg();
    if (size < 0) return std::nullopt;
    return static_cast<std::uint64_t>(size);
}

bool StreamSendFiles::Read(const std::string& path, std::size_t piece_bytes, std::uint64_t limit,
                           const std::function<bool(ByteView)>& piece) {
    std::ifstream file(path, std::ios::binary);
    if (!file || piece_bytes == 0) return false;
    std::vector<std::uint8_t> buffer(piece_bytes);
    while (limit > 0) {
        const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(limit, piece_bytes));
        file.read(reinterpret_cast<char*>(buffer.data()), static_cast<std::streamsize>(want));
        const std::size_t got = static_cast<std::size_t>(file.gcount());
        if (got == 0) return false;
        if (!piece(ByteView(buffer.data(), got))) return false;
        limit -= got;
    }
    return true;
}

}  // namespace roadsum
