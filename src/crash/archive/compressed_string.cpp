#include "crash/archive/compressed_string.h"

#include <new>

#include "crash/archive/crc32.h"
#include "crash/archive/deflate.h"
#include "crash/common/little_endian.h"

namespace roadsum {
namespace {

// Deflate cannot expand data by more than 1032 to 1 (a 258-byte match per two bits), so a
// larger declared length is corrupt and must not make us allocate it.
constexpr std::uint64_t kMaxInflateRatio = 1032;

// The length field has 32 bits; on 64-bit hosts larger data cannot be described.
constexpr bool fits_32_bits(std::uint64_t n) { return n <= 0xFFFFFFFFu; }

MutableByteView writable_bytes(std::string& s) { return {reinterpret_cast<std::uint8_t*>(s.data()), s.size()}; }

}  // namespace

std::string compress_string(std::string_view data, std::uint32_t producer_word) {
    const ByteView source = bytes_of(data);
    const std::size_t bound = compress_bound(data.size());
    if (bound == 0 || !fits_32_bits(data.size())) return {};
    try {
        std::string container(kCompressedStringHeaderSize + bound, '\0');
        const std::int64_t packed =
            compress_raw(source, writable_bytes(container).subspan(kCompressedStringHeaderSize));
        if (packed <= 0) return {};
        container.resize(kCompressedStringHeaderSize + static_cast<std::size_t>(packed));
        std::uint8_t* header = writable_bytes(container).data();
        put_le32(header, static_cast<std::uint32_t>(data.size()));
        put_le32(header + 4, producer_word);
        put_le32(header + 8, crc32(source));
        return container;
    } catch (const std::bad_alloc&) {
        return {};
    }
}

std::string uncompress_string(std::string_view container) {
    if (container.size() <= kCompressedStringHeaderSize) return {};
    const ByteView bytes = bytes_of(container);
    const std::uint32_t length = get_le32(bytes.data());
    const std::uint32_t crc = get_le32(bytes.data() + 8);
    const ByteView stream = bytes.subspan(kCompressedStringHeaderSize);
    if (length > stream.size() * kMaxInflateRatio) return {};
    try {
        std::string data(length, '\0');
        if (uncompress_raw(stream, writable_bytes(data)) != static_cast<std::int64_t>(length)) return {};
        if (crc32(bytes_of(data)) != crc) return {};
        return data;
    } catch (const std::bad_alloc&) {
        return {};
    }
}

}  // namespace roadsum
