// Values that end up inside mail and HTTP header lines (names, subjects, file names). Whatever
// the settings or the user typed, such a value can never break the line and start a header of
// its own.
#pragma once

#include <string>
#include <string_view>

namespace roadsum {

// CR, LF and the other control characters become blanks.
std::string header_safe(std::string_view value);

// For a parameter written as name="value": header_safe, and '"' becomes '\'', so the value
// cannot end the quotes early.
std::string quoted_parameter_safe(std::string_view value);

}  // namespace roadsum
