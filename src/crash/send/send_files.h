// The attachment files as the send methods read them: size first (empty and missing files are
// left out), then the bytes in pieces, so a large file never sits in memory whole.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "crash/common/byte_view.h"

namespace roadsum {

class SendFiles {
public:
    virtual ~SendFiles() = default;
    // Nothing when the file does not exist or cannot be opened.
    virtual std::optional<std::uint64_t> Size(const std::string& path) = 0;
    // Hands the file to `piece` in pieces of at most `piece_bytes`, at most `limit` bytes in
    // all; false when reading failed, the file ended before `limit`, or `piece` said stop.
    virtual bool Read(const std::string& path, std::size_t piece_bytes, std::uint64_t limit,
                      const std::function<bool(ByteView)>& piece) = 0;
};

// Files through the C++ library (narrow names are ANSI names on Windows).
class StreamSendFiles final : public SendFiles {
public:
    std::optional<std::uint64_t> Size(const std::string& path) override;
    bool Read(const std::string& path, std::size_t piece_bytes, std::uint64_t limit,
              const std::function<bool(ByteView)>& piece) override;
};

}  // namespace roadsum
