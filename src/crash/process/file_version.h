// The version text of a file from its version resource: the fixed block's four numbers, or the
// first translation's "FileVersion" string when the fixed block is all zero.
#pragma once

#include <cstdint>
#include <string>

namespace roadsum {

// "major.minor.release.build" from the fixed block's most and least significant parts.
std::string fixed_file_version_text(std::uint32_t most_significant, std::uint32_t least_significant);

// The string-table path of "FileVersion" for a translation: language then code page, 8 hex digits.
std::string file_version_string_query(std::uint16_t language, std::uint16_t code_page);

// Windows: the version text of the file; "" when it has no version information.
std::string file_version_text(const std::string& path);

}  // namespace roadsum
