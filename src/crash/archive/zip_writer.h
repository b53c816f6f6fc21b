// Writes a ZIP archive entry by entry into a byte sink: each entry deflated in one piece, its
// local header carrying sizes and crc (no data descriptors), the central directory and the end
// record at the end. Names are stored as UTF-8 and flagged so.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "crash/archive/deflate.h"
#include "crash/archive/dos_stamp.h"
#include "crash/common/byte_sink.h"

namespace roadsum {

struct ZipEntryInfo {
    std::string name;  // UTF-8
    DosStamp stamp;
    std::uint32_t attributes = 0;  // as the file system reports them
};

class ZipWriter {
public:
    enum class Added {
        written,
        skipped,       // out of memory, or beyond what the format can hold; the archive stays sound
        write_failed,  // the sink failed; the archive is unusable
    };

    explicit ZipWriter(ByteSink& sink, int level = kCompressionLevel) : sink_(sink), level_(level) {}
    ZipWriter(const ZipWriter&) = delete;
    ZipWriter& operator=(const ZipWriter&) = delete;

    Added add(const ZipEntryInfo& entry, ByteView data);
    // Writes the central directory and the end record; false when a write failed, now or before.
    bool finish();

    std::size_t entry_count() const { return entries_; }

private:
    ByteSink& sink_;
    int level_;
    std::vector<std::uint8_t> central_;
    std::uint64_t offset_ = 0;
    std::size_t entries_ = 0;
    bool failed_ = false;
};

}  // namespace roadsum
