// Little-endian integers in byte buffers, as the container and the ZIP records store them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace roadsum {

inline void put_le16(std::uint8_t* p, std::uint16_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}

inline void put_le32(std::uint8_t* p, std::uint32_t v) {
    put_le16(p, static_cast<std::uint16_t>(v));
    put_le16(p + 2, static_cast<std::uint16_t>(v >> 16));
}

inline void append_le16(std::vector<std::uint8_t>& out, std::uint16_t v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}

inline void append_le32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    append_le16(out, static_cast<std::uint16_t>(v));
    append_le16(out, static_cast<std::uint16_t>(v >> 16));
}

// The bytes of a value as a string, for records built by concatenation.
inline std::string le16_bytes(std::uint16_t v) { return {static_cast<char>(v), static_cast<char>(v >> 8)}; }
inline std::string le32_bytes(std::uint32_t v) {
    return le16_bytes(static_cast<std::uint16_t>(v)) + le16_bytes(static_cast<std::uint16_t>(v >> 16));
}

inline std::uint16_t get_le16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }

inline std::uint32_t get_le32(const std::uint8_t* p) {
    return get_le16(p) | static_cast<std::uint32_t>(get_le16(p + 2)) << 16;
}

}  // namespace roadsum
