#include "crash/capture/file_checksum.h"

#include <cstdint>

#include "crash/common/little_endian.h"
#include "crash/process/pe_headers.h"

namespace roadsum {

TFileCheck CheckImageChecksum(std::string_view file) {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(file.data());
    if (file.size() < 0x40 || file.substr(0, 2) != "MZ") return TFileCheck::NotAnImage;
    const std::uint32_t pe = get_le32(bytes + 0x3C);
    // The checksum field lies 64 bytes into the optional header, after the 4-byte signature
    // and the 20-byte file header.
    const std::uint64_t field = std::uint64_t(pe) + 24 + 64;
    if (field + 4 > file.size() || file.substr(pe, 4) != std::string_view("PE\0\0", 4)) return TFileCheck::NotAnImage;
    const std::uint32_t stored = get_le32(bytes + field);
    if (stored == 0) return TFileCheck::NoChecksum;
    return pe_file_checksum(file, static_cast<std::uint32_t>(field)) == stored ? TFileCheck::Matches
                                                                               : TFileCheck::Mismatch;
}

}  // namespace roadsum
