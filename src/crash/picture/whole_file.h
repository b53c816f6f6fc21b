// Writing a file whole or not at all: the bytes go to a fresh file beside the target, which
// replaces the target only once every byte is written and the file closed, so a failed write
// leaves neither a partial file nor a damaged old one. A target that exists but is no
// regular file (a device, a pipe) is written directly.
#pragma once

#include <string>
#include <string_view>

namespace roadsum {

// False when any of it failed; error then says why in a few words.
bool write_whole_file(const std::string& path, std::string_view bytes, std::string* error = nullptr);

// Moves `from` over `to`, replacing a file there; false when that fails (`from` then stays).
bool replace_file(const std::string& from, const std::string& to);

}  // namespace roadsum
