// The container of the packed debug information, as the "NOX"/"EXCEPT" resource and ".nox"
// files hold it: a signature text, then (counted from the end of the signature) the body
// length at 0, the format version at 4 (2 or 3), two identification words at 8 and 12 and
// the flags at 16 (bit 0: minimal debug information), all little-endian 32-bit. The body
// starts at 20 (version 3) or 8 (version 2, whose identification words and flags overlap
// its first bytes). The body is enciphered, with a key derived from its length; deciphered
// it is a compressed string whose content is the packed stream.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace roadsum {

inline constexpr std::string_view kDebugContainerSignature = "Roadsum debug information\x1A";
inline constexpr std::uint32_t kDebugContainerMinimal = 1;  // flag bit

struct DebugContainer {
    std::int32_t version = 3;
    std::uint32_t id1 = 0, id2 = 0;
    std::uint32_t flags = 0;
    std::uint32_t total_length = 0;  // of the whole container
    std::string stream;              // the packed stream, deciphered and decompressed

    bool minimal() const { return (flags & kDebugContainerMinimal) != 0; }
    // The identification that the settings key MinDebugInfo holds:
    // "$" and 8 lower-case hex digits of total length, id1 and id2, joined by ", ".
    std::string identification() const;
};

// The container's content, or nullopt when the signature, version, length or the crc of the
// decompressed body does not fit.
std::optional<DebugContainer> read_debug_container(std::string_view data);

// A version 3 container around the packed stream; empty when compression fails.
std::string write_debug_container(std::string_view stream, std::uint32_t id1, std::uint32_t id2, std::uint32_t flags);

// The keyed scheme of the body; applying it twice with the same length restores the data.
void cipher_debug_body(std::string& body);

// The "$xxxxxxxx, $xxxxxxxx, $xxxxxxxx" text of three words.
std::string debug_identification(std::uint32_t total_length, std::uint32_t id1, std::uint32_t id2);

}  // namespace roadsum
