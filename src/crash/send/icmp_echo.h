// The echo request of the online check and the test of its reply.
#pragma once

#include <array>
#include <cstdint>

#include "crash/common/byte_view.h"

namespace roadsum {

// The one's-complement sum of 16-bit words that ICMP and IP use.
std::uint16_t internet_checksum(ByteView bytes);

// 32 bytes: type 8, code 0, checksum, identifier, sequence number, then six words 0xDEADBEEF.
std::array<std::uint8_t, 32> echo_request(std::uint16_t identifier, std::uint16_t sequence);

// Whether a packet read from the raw socket (IP header first) is the echo reply to ours.
bool is_echo_reply(ByteView ip_packet, std::uint16_t identifier, std::uint16_t sequence);

}  // namespace roadsum
