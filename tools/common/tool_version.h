// --version of the command-line tools: the tool's name and Roadsum's version, the number that
// the program's version resource holds too.
#pragma once

#include <cstdio>

#include "roadsum_version.h"

namespace roadsum::tool {

inline int print_version(const char* tool) {
    std::printf("%s %s\n", tool, ROADSUM_VERSION_TEXT);
    return 0;
}

}  // namespace roadsum::tool
