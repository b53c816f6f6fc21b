#include "debug_link.h"

#include "coff_symbols.h"
#include "crash/common/little_endian.h"

namespace roadsum {

std::optional<DebugLink> read_debug_link(std::string_view file, const PeHeaders& headers) {
    const std::string_view link = section_bytes(file, headers, ".gnu_debuglink");
    const std::size_t end = link.find('\0');
    const std::size_t crc_at = (end + 4) / 4 * 4;
    if (end == 0 || end == std::string_view::npos || crc_at + 4 > link.size()) return std::nullopt;
    return DebugLink{std::string(link.substr(0, end)),
                     get_le32(reinterpret_cast<const std::uint8_t*>(link.data() + crc_at))};
}

}  // namespace roadsum
