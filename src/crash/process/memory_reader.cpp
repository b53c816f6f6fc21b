#include "crash/process/memory_reader.h"

#include "crash/common/little_endian.h"

namespace roadsum {

std::uint32_t read_available(const MemoryReader& reader, std::uint32_t address, std::uint8_t* buffer,
                             std::uint32_t max) {
    if (max == 0) return 0;
    if (reader.try_read(address, buffer, max)) return max;
    // Readability does not come back once lost within a range, so the readable prefix is a
    // monotone property of the length.
    std::uint32_t good = 0, bad = max;
    while (bad - good > 1) {
        const std::uint32_t mid = good + (bad - good) / 2;
        if (reader.try_read(address, buffer, mid))
            good = mid;
        else
            bad = mid;
    }
    if (good > 0 && !reader.try_read(address, buffer, good)) return 0;
    return good;
}

bool read_dword(const MemoryReader& reader, std::uint32_t address, std::uint32_t& value) {
    std::uint8_t b[4];
    if (!reader.try_read(address, b, 4)) return false;
    value = get_le32(b);
    return true;
}

}  // namespace roadsum
