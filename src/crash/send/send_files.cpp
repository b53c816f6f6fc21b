#include "crash/send/send_files.h"

#include <algorithm>
#include <vector>

#include "crash/common/stdio_file.h"

namespace roadsum {

std::optional<std::uint64_t> StreamSendFiles::Size(const std::string& path) { return StdioFile(path, "rb").Size(); }

bool StreamSendFiles::Read(const std::string& path, std::size_t piece_bytes, std::uint64_t limit,
                           const std::function<bool(ByteView)>& piece) {
    StdioFile file(path, "rb");
    if (!file || piece_bytes == 0) return false;
    std::vector<std::uint8_t> buffer(piece_bytes);
    while (limit > 0) {
        const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(limit, piece_bytes));
        const std::size_t got = file.Read(buffer.data(), want);
        if (got == 0) return false;
        if (!piece(ByteView(buffer.data(), got))) return false;
        limit -= got;
    }
    return true;
}

}  // namespace roadsum
