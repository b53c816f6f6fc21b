// Where an automatic save puts the report file: a relative name lies beside the executable, a
// name from the root of a drive lies on the executable's drive, and "." and ".." parts go.
#pragma once

#include <string>
#include <string_view>

namespace roadsum {

// name: the report file's name after its variables were expanded; executable: the full path of
// the program. Both in Windows form; "/" counts as "\".
std::string absolute_report_path(std::string_view name, std::string_view executable);

}  // namespace roadsum
