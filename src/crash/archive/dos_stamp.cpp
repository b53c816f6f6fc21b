#include "crash/archive/dos_stamp.h"

namespace roadsum {

DosStamp dos_stamp(const CivilTime& t) {
    if (t.year < 1980) return {};
    if (t.year > 2107) return dos_stamp({2107, 12, 31, 23, 59, 59});
    DosStamp s;
    s.time = static_cast<std::uint16_t>(t.hour << 11 | t.minute << 5 | t.second / 2);
    s.date = static_cast<std::uint16_t>((t.year - 1980) << 9 | t.month << 5 | t.day);
    return s;
}

}  // namespace roadsum
