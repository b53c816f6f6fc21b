#include "crash/send/header_values.h"

namespace roadsum {

std::string header_safe(std::string_view value) {
    std::string out(value);
    for (char& c : out)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
    return out;
}

std::string quoted_parameter_safe(std::string_view value) {
    std::string out = header_safe(value);
    for (char& c : out)
        if (c == '"') c = '\'';
    return out;
}

}  // namespace roadsum
