// The compressed-string container: uncompressed length (4 bytes), a word of the producer's
// own (4 bytes, never read), the standard CRC-32 of the uncompressed data (4 bytes), all
// little-endian, then the raw deflate stream. The debug information is stored this way.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace roadsum {

inline constexpr std::size_t kCompressedStringHeaderSize = 12;

// Builds a container; empty only when compression fails (no memory).
std::string compress_string(std::string_view data, std::uint32_t producer_word = 0);

// The data of a container, or an empty string when the container is shorter than 13 bytes,
// its stream is corrupt, or the data fails the length or crc check.
std::string uncompress_string(std::string_view container);

}  // namespace roadsum
