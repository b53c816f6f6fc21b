#include "crash/common/system_message.h"

#include <windows.h>

namespace roadsum {

std::string system_error_text(std::uint32_t code, std::string_view fallback) {
    char text[512];
    DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, text,
                             sizeof text, nullptr);
    while (n > 0 && (text[n - 1] == '\r' || text[n - 1] == '\n' || text[n - 1] == ' ')) --n;
    return n > 0 ? std::string(text, n) : std::string(fallback);
}

}  // namespace roadsum
