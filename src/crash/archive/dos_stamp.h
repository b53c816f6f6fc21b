// The DOS date and time of a file, as ZIP headers store them: two seconds resolution, years
// 1980 to 2107.
#pragma once

#include <cstdint>

namespace roadsum {

struct DosStamp {
    std::uint16_t time = 0;                // hour << 11 | minute << 5 | second / 2
    std::uint16_t date = 1 << 5 | 1;       // (year - 1980) << 9 | month << 5 | day; 1980-01-01
};

struct CivilTime {
    int year = 1980, month = 1, day = 1;
    int hour = 0, minute = 0, second = 0;
};

// Times before 1980 give the earliest stamp and times after 2107 the latest, since the format
// cannot hold them and a wrapped year would date the file wrongly.
DosStamp dos_stamp(const CivilTime& t);

}  // namespace roadsum
