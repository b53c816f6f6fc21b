#include "crash/archive/zip_writer.h"

#include <algorithm>
#include <array>
#include <memory>
#include <new>

#include "crash/archive/crc32.h"
#include "crash/common/little_endian.h"

namespace roadsum {
namespace {

constexpr std::uint32_t kLocalSignature = 0x04034B50;
constexpr std::uint32_t kCentralSignature = 0x02014B50;
constexpr std::uint32_t kEndSignature = 0x06054B50;
constexpr std::size_t kLocalSize = 30;
constexpr std::size_t kCentralSize = 46;
constexpr std::size_t kEndSize = 22;
constexpr std::uint16_t kVersion = 20;
constexpr std::uint16_t kUtf8Names = 0x0800;
constexpr std::uint16_t kDeflated = 8;
// Readers take 0xFFFFFFFF and 0xFFFF as pointers to ZIP64 records, which this writer never writes.
constexpr std::uint64_t kMaxSize32 = 0xFFFFFFFE;
constexpr std::size_t kMaxEntries = 0xFFFE;
constexpr std::size_t kMaxNameLength = 0xFFFF;

// The fields from "version needed" to "name length", shared by the local and the central header.
void put_common_fields(std::uint8_t* p, const ZipEntryInfo& entry, std::uint32_t crc,
                       std::uint32_t packed_size, std::uint32_t size) {
    put_le16(p, kVersion);
    put_le16(p + 2, kUtf8Names);
    put_le16(p + 4, kDeflated);
    put_le16(p + 6, entry.stamp.time);
    put_le16(p + 8, entry.stamp.date);
    put_le32(p + 10, crc);
    put_le32(p + 14, packed_size);
    put_le32(p + 18, size);
    put_le16(p + 22, static_cast<std::uint16_t>(entry.name.size()));
}

}  // namespace

ZipWriter::Added ZipWriter::add(const ZipEntryInfo& entry, ByteView data) {
    if (failed_) return Added::write_failed;
    if (entries_ >= kMaxEntries || entry.name.empty() || entry.name.size() > kMaxNameLength ||
        data.size() > kMaxSize32)
        return Added::skipped;

    const std::size_t bound = compress_bound(data.size());
    std::unique_ptr<std::uint8_t[]> packed(bound ? new (std::nothrow) std::uint8_t[bound] : nullptr);
    if (!packed) return Added::skipped;
    const std::int64_t packed_size = compress_raw(data, {packed.get(), bound}, level_);
    if (packed_size <= 0) return Added::skipped;

    const std::uint64_t name_size = entry.name.size();
    const std::uint64_t entry_end = offset_ + kLocalSize + name_size + static_cast<std::uint64_t>(packed_size);
    const std::uint64_t directory_size = central_.size() + kCentralSize + name_size;
    if (entry_end + directory_size + kEndSize > kMaxSize32) return Added::skipped;

    const std::uint32_t crc = crc32(data);
    std::array<std::uint8_t, kLocalSize> local{};
    put_le32(local.data(), kLocalSignature);
    put_common_fields(local.data() + 4, entry, crc, static_cast<std::uint32_t>(packed_size),
                      static_cast<std::uint32_t>(data.size()));

    std::array<std::uint8_t, kCentralSize> central{};
    put_le32(central.data(), kCentralSignature);
    put_le16(central.data() + 4, kVersion);
    put_common_fields(central.data() + 6, entry, crc, static_cast<std::uint32_t>(packed_size),
                      static_cast<std::uint32_t>(data.size()));
    put_le32(central.data() + 38, entry.attributes);
    put_le32(central.data() + 42, static_cast<std::uint32_t>(offset_));
    // The central record must fit once the entry is out, or the archive would be unreadable.
    try {
        if (directory_size > central_.capacity())
            central_.reserve(std::max<std::size_t>(directory_size, central_.capacity() * 2));
    } catch (const std::bad_alloc&) {
        return Added::skipped;
    }

    const ByteView name = bytes_of(entry.name);
    if (!sink_.write(local) || !sink_.write(name) ||
        !sink_.write({packed.get(), static_cast<std::size_t>(packed_size)})) {
        failed_ = true;
        return Added::write_failed;
    }
    central_.insert(central_.end(), central.begin(), central.end());
    central_.insert(central_.end(), name.begin(), name.end());
    offset_ = entry_end;
    ++entries_;
    return Added::written;
}

bool ZipWriter::finish() {
    if (failed_) return false;
    std::array<std::uint8_t, kEndSize> end{};
    put_le32(end.data(), kEndSignature);
    put_le16(end.data() + 8, static_cast<std::uint16_t>(entries_));
    put_le16(end.data() + 10, static_cast<std::uint16_t>(entries_));
    put_le32(end.data() + 12, static_cast<std::uint32_t>(central_.size()));
    put_le32(end.data() + 16, static_cast<std::uint32_t>(offset_));
    if (!sink_.write(central_) || !sink_.write(end)) failed_ = true;
    return !failed_;
}

}  // namespace roadsum
