// The system's own text of an error number, in the user's language where the system has it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace roadsum {

// The text without its trailing line break; fallback when the system
// has no text for the number (and always off Windows).
std::string system_error_text(std::uint32_t code, std::string_view fallback);

}  // namespace roadsum
