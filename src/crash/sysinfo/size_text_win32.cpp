#include "crash/sysinfo/size_text.h"

#include <windows.h>

namespace roadsum {

namespace {

std::string user_decimal_separator() {
    char buffer[8];
    const int n = GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, buffer, sizeof buffer);
    return n > 1 ? std::string(buffer, n - 1) : std::string(",");
}

}  // namespace

std::string size_text(std::int64_t bytes) {
    static const std::string separator = user_decimal_separator();
    return size_text(bytes, separator);
}

}  // namespace roadsum
