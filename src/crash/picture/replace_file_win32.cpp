#include <windows.h>

#include "crash/picture/whole_file.h"

namespace roadsum {

// The C library's rename refuses an existing target on Windows.
bool replace_file(const std::string& from, const std::string& to) {
    return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

}  // namespace roadsum
