// Text-to-number conversions with the run time's syntax and messages.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace roadsum {

// A decimal number: digits with at most one decimal separator (the given character), an
// optional exponent ("e" or "E", an optional sign, digits) and trailing blanks. No sign, no
// leading blanks, no thousands separator. Values beyond the double range do not convert;
// values too small for it become zero.
std::optional<double> text_to_float(std::string_view text, char decimal_separator);

// Decimal digits only, within the signed 32-bit range; nothing else, not even a blank.
std::optional<std::int32_t> text_to_int(std::string_view text);

// As above, raising EConvertError "'<text>' is not a valid floating point value".
double str_to_float(std::string_view text, char decimal_separator);

// As above, raising EConvertError "'<text>' is not a valid integer value".
std::int32_t str_to_int(std::string_view text);

}  // namespace roadsum
