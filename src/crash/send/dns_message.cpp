#include "crash/send/dns_message.h"

#include <algorithm>

namespace roadsum {
namespace {

bool read16(ByteView packet, std::size_t& at, std::uint16_t& value) {
    if (packet.size() < 2 || at > packet.size() - 2) return false;
    value = static_cast<std::uint16_t>(packet[at] << 8 | packet[at + 1]);
    at += 2;
    return true;
}

bool read_records(ByteView packet, std::size_t& at, unsigned count, std::vector<DnsRecord>& into) {
    for (unsigned i = 0; i < count; ++i) {
        DnsRecord record;
        const auto name = read_dns_name(packet, at);
        std::uint16_t ttl_high, ttl_low, length;
        if (!name || !read16(packet, at, record.type) || !read16(packet, at, record.record_class) ||
            !read16(packet, at, ttl_high) || !read16(packet, at, ttl_low) || !read16(packet, at, length) ||
            length > packet.size() - at)
            return false;
        record.name = *name;
        const std::size_t end = at + length;
        std::size_t data = at;
        if (record.type == kDnsTypeMx && !read16(packet, data, record.preference)) return false;
        if (record.type == kDnsTypeMx || record.type == kDnsTypeNs) {
            const auto host = read_dns_name(packet, data);
            if (!host || data > end) return false;
            record.host = *host;
        } else if (record.type == kDnsTypeA && length == 4) {
            record.address = static_cast<std::uint32_t>(packet[at]) << 24 | packet[at + 1] << 16 |
                             packet[at + 2] << 8 | packet[at + 3];
        }
        at = end;
        into.push_back(std::move(record));
    }
    return true;
}

}  // namespace

std::optional<std::vector<std::uint8_t>> dns_query(std::string_view name, std::uint16_t type) {
    if (!name.empty() && name.back() == '.') name.remove_suffix(1);
    if (name.empty() || name.size() > 253) return std::nullopt;
    std::vector<std::uint8_t> packet = {0, kDnsQueryId, 0x01, 0x00, 0, 1, 0, 0, 0, 0, 0, 0};
    for (std::size_t start = 0; start <= name.size();) {
        const std::size_t dot = std::min(name.find('.', start), name.size());
        const std::size_t length = dot - start;
        if (length == 0 || length > 63) return std::nullopt;
        packet.push_back(static_cast<std::uint8_t>(length));
        packet.insert(packet.end(), name.begin() + start, name.begin() + dot);
        start = dot + 1;
    }
    packet.push_back(0);
    packet.push_back(static_cast<std::uint8_t>(type >> 8));
    packet.push_back(static_cast<std::uint8_t>(type));
    packet.push_back(0);
    packet.push_back(1);
    return packet;
}

std::optional<std::string> read_dns_name(ByteView packet, std::size_t& at) {
    std::string name;
    std::size_t pos = at;
    std::size_t lowest = at;  // every pointer must lead below all that was read before
    bool jumped = false;
    for (;;) {
        if (pos >= packet.size()) return std::nullopt;
        const std::uint8_t length = packet[pos];
        if (length == 0) {
            if (!jumped) at = pos + 1;
            return name;
        }
        if ((length & 0xC0) == 0xC0) {
            if (pos + 1 >= packet.size()) return std::nullopt;
            const std::size_t target = (length & 0x3F) << 8 | packet[pos + 1];
            if (target >= lowest) return std::nullopt;
            if (!jumped) at = pos + 2;
            jumped = true;
            lowest = pos = target;
            continue;
        }
        if (length & 0xC0) return std::nullopt;  // the reserved label kinds
        if (pos + 1 + length > packet.size()) return std::nullopt;
        if (!name.empty()) name += '.';
        name.append(reinterpret_cast<const char*>(packet.data() + pos + 1), length);
        if (name.size() > 255) return std::nullopt;
        pos += 1 + length;
    }
}

std::optional<DnsReply> parse_dns_reply(ByteView packet) {
    DnsReply reply;
    std::size_t at = 0;
    std::uint16_t flags, questions, answers, authority, additional;
    if (!read16(packet, at, reply.id) || !read16(packet, at, flags) || !read16(packet, at, questions) ||
        !read16(packet, at, answers) || !read16(packet, at, authority) || !read16(packet, at, additional))
        return std::nullopt;
    reply.response = (flags & 0x8000) != 0;
    reply.response_code = flags & 0x000F;
    for (unsigned i = 0; i < questions; ++i) {
        std::uint16_t type, record_class;
        if (!read_dns_name(packet, at) || !read16(packet, at, type) || !read16(packet, at, record_class))
            return std::nullopt;
    }
    if (!read_records(packet, at, answers, reply.answers) || !read_records(packet, at, authority, reply.authority) ||
        !read_records(packet, at, additional, reply.additional))
        return std::nullopt;
    return reply;
}

std::string ipv4_text(std::uint32_t address) {
    return std::to_string(address >> 24) + "." + std::to_string((address >> 16) & 255) + "." +
           std::to_string((address >> 8) & 255) + "." + std::to_string(address & 255);
}

}  // namespace roadsum
