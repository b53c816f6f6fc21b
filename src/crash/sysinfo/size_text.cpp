#include "crash/sysinfo/size_text.h"

namespace roadsum {

std::string size_text(std::int64_t bytes, std::string_view decimal_separator) {
    constexpr std::int64_t kKilo = 1024;
    if (bytes < kKilo) return std::to_string(bytes) + " Bytes";
    std::int64_t hundredths;
    const char* unit;
    if (bytes < kKilo * kKilo) {
        hundredths = bytes * 100 / kKilo;
        unit = " KB";
    } else if (bytes < kKilo * kKilo * kKilo) {
        hundredths = bytes / kKilo * 100 / kKilo;
        unit = " MB";
    } else {
        hundredths = bytes / kKilo / kKilo * 100 / kKilo;
        unit = " GB";
    }
    // At least 1,00 of a unit, so there are always three digits.
    std::string digits = std::to_string(hundredths);
    return digits.substr(0, digits.size() - 2) + std::string(decimal_separator) + digits.substr(digits.size() - 2) +
           unit;
}

}  // namespace roadsum
