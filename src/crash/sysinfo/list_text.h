// What the three list texts share: columns padded to their longest value + 1, paths split into
// folder and file name, lines joined by CR LF without a final line break.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace roadsum {

using TextRow = std::vector<std::string>;

// Every cell but a row's last is followed by blanks up to its column's longest value + 1.
std::string format_columns(const std::vector<TextRow>& rows);

std::string join_lines(const std::vector<std::string>& lines);

// The folder (with its trailing backslash when keep_backslash) and the file name after the last
// backslash; a path without one is all name.
void split_at_last_backslash(std::string_view path, std::string& folder, std::string& name, bool keep_backslash);

}  // namespace roadsum
