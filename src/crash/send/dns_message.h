// DNS packets of the MX lookup: the query we send and the replies we read. Replies come from
// the network, so every name is decoded defensively: compression pointers must point back
// into the packet, before the name that uses them, so loops and wild pointers are refused.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "crash/common/byte_view.h"

namespace roadsum {

inline constexpr std::uint16_t kDnsTypeA = 1;
inline constexpr std::uint16_t kDnsTypeNs = 2;
inline constexpr std::uint16_t kDnsTypeMx = 15;
inline constexpr std::uint16_t kDnsQueryId = 1;

// Identifier 1, recursion desired, one question of class 1. Nothing when the name cannot be a
// domain name (an empty label, a label over 63 bytes, or over 255 bytes in all).
std::optional<std::vector<std::uint8_t>> dns_query(std::string_view name, std::uint16_t type);

struct DnsRecord {
    std::string name;
    std::uint16_t type = 0;
    std::uint16_t record_class = 0;
    std::string host;              // NS and MX: the server's name
    std::uint16_t preference = 0;  // MX
    std::uint32_t address = 0;     // A: the IPv4 address, first byte highest
};

struct DnsReply {
    std::uint16_t id = 0;
    bool response = false;
    int response_code = 0;
    std::vector<DnsRecord> answers, authority, additional;
};

// Nothing when the packet is cut short or a name is malformed.
std::optional<DnsReply> parse_dns_reply(ByteView packet);

// A name at `at`, which moves past it; nothing when it is malformed.
std::optional<std::string> read_dns_name(ByteView packet, std::size_t& at);

// "a.b.c.d" of an A record's address.
std::string ipv4_text(std::uint32_t address);

}  // namespace roadsum
