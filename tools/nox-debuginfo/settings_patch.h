// Writes the identification of the debug information into a compiled settings resource: the
// text of its "MinDebugInfo" property is replaced in place. The settings source holds a
// placeholder of the same length, so the stream keeps its size.
#pragma once

#include <string>
#include <string_view>

namespace roadsum {

// False with error set when the stream has no single "MinDebugInfo" text of that length.
bool set_min_debug_info(std::string& stream, std::string_view value, std::string& error);

}  // namespace roadsum
