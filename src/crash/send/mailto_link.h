// The last resort: a "mailto:" link handed to the registered mail program's command line.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace roadsum {

// Letters, digits and "-._~" stay, together with the characters of `keep`; every other byte
// becomes "%" and two upper-case hexadecimal digits.
std::string percent_encode(std::string_view text, std::string_view keep = {});

// "mailto:" + the recipients + "?subject=" + subject + "&body=" + body, all percent-encoded
// (the recipients keep "@" and their "," separators).
std::string mailto_link(std::string_view recipients, std::string_view subject, std::string_view body);

// The longest command line Windows starts.
inline constexpr std::size_t kMaxCommandLine = 32766;

// The registered command with the link in place of "%1", or appended after a blank. When the
// whole would pass `limit`, the link is shortened (never inside a "%" escape) so the rest of
// the command, a closing quote for instance, stays intact.
std::string mailto_command(std::string_view command, std::string_view link, std::size_t limit = kMaxCommandLine);

}  // namespace roadsum
