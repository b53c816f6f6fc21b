// Arbitrary bytes as a DNS reply: the parser must neither crash nor loop, and every name it
// returns must be one a domain can have.
#include <cstdint>
#include <cstdlib>

#include "crash/send/dns_message.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const roadsum::ByteView packet(data, size);
    const auto reply = roadsum::parse_dns_reply(packet);
    if (reply) {
        for (const auto* section : {&reply->answers, &reply->authority, &reply->additional})
            for (const roadsum::DnsRecord& record : *section)
                if (record.name.size() > 255 || record.host.size() > 255) std::abort();
    }
    // Every offset as the start of a name.
    for (std::size_t at = 0; at < size && at < 512; ++at) {
        std::size_t next = at;
        if (roadsum::read_dns_name(packet, next) && (next <= at || next > size)) std::abort();
    }
    return 0;
}
