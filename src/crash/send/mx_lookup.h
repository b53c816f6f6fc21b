// Finding the mail exchanger of a recipient: MX at the configured DNS servers (the domain,
// then its base domain), or, with none configured, a walk from the root servers down the NS
// referrals to the domain's own servers.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "crash/common/byte_view.h"
#include "crash/send/dns_message.h"

namespace roadsum {

class DnsTransport {
public:
    virtual ~DnsTransport() = default;
    // Sends the query to every server at once (IPv4 addresses as text) and returns the first
    // reply that `accept` takes; nothing when none came within the time-out, or when every
    // server has answered without one.
    virtual std::optional<std::vector<std::uint8_t>> Exchange(const std::vector<std::string>& servers, ByteView query,
                                                              int timeout_ms,
                                                              const std::function<bool(ByteView)>& accept) = 0;
};

// The NameServer settings of the system: addresses separated by blanks or commas.
std::vector<std::string> dns_server_list(std::string_view text);

// Two of the root name servers (a and c), asked when no DNS server is configured.
std::vector<std::string> root_name_servers();

inline constexpr int kDnsTimeoutMs = 5000;
inline constexpr int kDnsReferralRounds = 10;

struct MxLookupOptions {
    std::vector<std::string> servers;  // configured DNS servers; empty: walk from the roots
    std::vector<std::string> roots = root_name_servers();
    int timeout_ms = kDnsTimeoutMs;
};

// The first mail exchanger named for the address's domain (or its base domain); nothing when
// none was found.
std::optional<std::string> find_mail_exchanger(std::string_view address, DnsTransport& dns,
                                               const MxLookupOptions& options);

}  // namespace roadsum
