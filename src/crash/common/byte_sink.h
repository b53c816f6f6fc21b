// Where archives and other written data go: a file, or memory in tests and for attachments.
#pragma once

#include <cstdint>
#include <new>
#include <vector>

#include "crash/common/byte_view.h"

namespace roadsum {

class ByteSink {
public:
    virtual ~ByteSink() = default;
    // Writes all the bytes; false when any of them could not be written.
    virtual bool write(ByteView bytes) = 0;
    // Pushes out whatever the sink still buffers; false when that fails.
    virtual bool flush() { return true; }
};

class MemorySink final : public ByteSink {
public:
    bool write(ByteView bytes) override {
        try {
            bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
            return true;
        } catch (const std::bad_alloc&) {
            return false;
        }
    }

    const std::vector<std::uint8_t>& bytes() const { return bytes_; }

private:
    std::vector<std::uint8_t> bytes_;
};

}  // namespace roadsum
