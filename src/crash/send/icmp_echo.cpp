#include "crash/send/icmp_echo.h"

namespace roadsum {

std::uint16_t internet_checksum(ByteView bytes) {
    std::uint32_t sum = 0;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) sum += bytes[i] << 8 | bytes[i + 1];
    if (bytes.size() % 2) sum += bytes.back() << 8;
    while (sum >> 16) sum = (sum & 0xFFFF) + (sum >> 16);
    return static_cast<std::uint16_t>(~sum);
}

std::array<std::uint8_t, 32> echo_request(std::uint16_t identifier, std::uint16_t sequence) {
    std::array<std::uint8_t, 32> packet{8, 0, 0, 0,
                                        static_cast<std::uint8_t>(identifier >> 8), static_cast<std::uint8_t>(identifier),
                                        static_cast<std::uint8_t>(sequence >> 8), static_cast<std::uint8_t>(sequence)};
    for (std::size_t i = 8; i < packet.size(); i += 4) {
        packet[i] = 0xDE, packet[i + 1] = 0xAD, packet[i + 2] = 0xBE, packet[i + 3] = 0xEF;
    }
    const std::uint16_t sum = internet_checksum(packet);
    packet[2] = static_cast<std::uint8_t>(sum >> 8);
    packet[3] = static_cast<std::uint8_t>(sum);
    return packet;
}

bool is_echo_reply(ByteView ip_packet, std::uint16_t identifier, std::uint16_t sequence) {
    if (ip_packet.empty()) return false;
    const std::size_t header = (ip_packet[0] & 0x0F) * 4u;
    if (header < 20 || ip_packet.size() < header + 8) return false;
    const ByteView icmp = ip_packet.subspan(header);
    return icmp[0] == 0 && icmp[1] == 0 && (icmp[4] << 8 | icmp[5]) == identifier &&
           (icmp[6] << 8 | icmp[7]) == sequence;
}

}  // namespace roadsum
