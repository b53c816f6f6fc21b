// The text map of an executable in the layout that the debug information reader parses: the
// segment table, the detailed map of segments (one per unit), the publics by value, the line
// numbers of each unit and the program entry point. Offsets count from the code start;
// lines end in CR LF.
#pragma once

#include <string>

#include "debug_info_builder.h"

namespace roadsum {

std::string write_map_text(const BuiltDebugInfo& info);

}  // namespace roadsum
