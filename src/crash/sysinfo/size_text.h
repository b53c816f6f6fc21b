// Byte counts as the report shows memory and disk figures: "512 Bytes", "1,50 KB", "2,00 GB".
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace roadsum {

// Below 1024 the count and " Bytes"; above, hundredths of KB, MB or GB (truncated) with the
// decimal separator before the last two digits.
std::string size_text(std::int64_t bytes, std::string_view decimal_separator);

// Windows: with the user's decimal separator, read once ("," when it cannot be read).
std::string size_text(std::int64_t bytes);
const std::string& user_decimal_separator();

}  // namespace roadsum
