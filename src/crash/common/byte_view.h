// Byte ranges as the compression and archive routines take them.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace roadsum {

using ByteView = std::span<const std::uint8_t>;
using MutableByteView = std::span<std::uint8_t>;

// The bytes of a text, which is where most of the data handed to these routines comes from.
inline ByteView bytes_of(std::string_view text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

}  // namespace roadsum
