// Stored passwords of the settings (SmtpPassword, HttpPassword) are kept enciphered, keyed by
// the account and the server they belong to, so that the resource does not show them plainly.
// This hides a password from a casual look at the file; it is no protection against someone
// who reads this code.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace roadsum {

// The stored form: upper-case hexadecimal digits, two per byte of the password plus one check byte.
std::string encipher_password(std::string_view clear, std::string_view account, std::string_view server);

// The clear password, or nothing when the text is not a stored form made for this account and
// server (the check byte catches a changed account or server with 255 chances in 256).
std::optional<std::string> decipher_password(std::string_view stored, std::string_view account,
                                             std::string_view server);

}  // namespace roadsum
