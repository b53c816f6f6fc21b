#include "crash/sysinfo/size_text.h"

#include <windows.h>

namespace roadsum {

const std::string& user_decimal_separator() {
    static const std::string separator = [] {
        char buffer[8];
        const int n = GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, buffer, sizeof buffer);
        return n > 1 ? std::string(buffer, n - 1) : std::string(",");
    }();
    return separator;
}

std::string size_text(std::int64_t bytes) { return size_text(bytes, user_decimal_separator()); }

}  // namespace roadsum
