#include "crash/process/file_version.h"

#include <cstdio>

namespace roadsum {

std::string fixed_file_version_text(std::uint32_t most_significant, std::uint32_t least_significant) {
    char text[48];
    std::snprintf(text, sizeof text, "%u.%u.%u.%u", static_cast<unsigned>(most_significant >> 16),
                  static_cast<unsigned>(most_significant & 0xFFFF), static_cast<unsigned>(least_significant >> 16),
                  static_cast<unsigned>(least_significant & 0xFFFF));
    return text;
}

std::string file_version_string_query(std::uint16_t language, std::uint16_t code_page) {
    char text[48];
    std::snprintf(text, sizeof text, "\\StringFileInfo\\%04X%04X\\FileVersion", static_cast<unsigned>(language),
                  static_cast<unsigned>(code_page));
    return text;
}

}  // namespace roadsum
