// CRC-32 with the reflected polynomial 0xEDB88320, as ZIP, PNG and the compressed-string
// container use it.
#pragma once

#include <cstdint>

#include "crash/common/byte_view.h"

namespace roadsum {

// Runs the raw register over the bytes, without the initial or final inversion, so callers
// can chain updates and start from their own values (the call-stack checksums do).
std::uint32_t crc32_update(std::uint32_t reg, ByteView bytes);

// The standard checksum: the register starts at 0xFFFFFFFF and the result is inverted.
inline std::uint32_t crc32(ByteView bytes) { return ~crc32_update(0xFFFFFFFFu, bytes); }

}  // namespace roadsum
