#include <cstdio>

#include "crash/picture/whole_file.h"

namespace roadsum {

// POSIX rename replaces the target in one step.
bool replace_file(const std::string& from, const std::string& to) { return std::rename(from.c_str(), to.c_str()) == 0; }

}  // namespace roadsum
