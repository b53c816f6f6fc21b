#include "crash/common/system_message.h"

namespace roadsum {

std::string system_error_text(std::uint32_t, std::string_view fallback) { return std::string(fallback); }

}  // namespace roadsum
