// Base64 as mail attachments, SMTP authentication and HTTP Basic authorization use it.
#pragma once

#include <string>
#include <string_view>

#include "crash/common/byte_view.h"

namespace roadsum {

// The standard alphabet with "=" padding, no line breaks.
std::string base64_encode(ByteView bytes);
inline std::string base64_encode(std::string_view text) { return base64_encode(bytes_of(text)); }

// Input bytes per line of a Base64 body: 57 bytes make the 76 characters mail allows.
inline constexpr std::size_t kBase64LineBytes = 57;

}  // namespace roadsum
