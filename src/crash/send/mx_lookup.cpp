#include "crash/send/mx_lookup.h"

#include "crash/common/text_lists.h"
#include "crash/send/mail_addresses.h"

namespace roadsum {
namespace {

bool has_names(const std::vector<DnsRecord>& records, std::uint16_t type) {
    for (const DnsRecord& record : records)
        if (record.type == type && !record.host.empty()) return true;
    return false;
}

// A reply to our query that answers, or for NS also one that refers us on.
std::optional<DnsReply> ask(DnsTransport& dns, const std::vector<std::string>& servers, std::string_view name,
                            std::uint16_t type, int timeout_ms) {
    const auto query = dns_query(name, type);
    if (!query || servers.empty()) return std::nullopt;
    auto usable = [type](ByteView packet) -> std::optional<DnsReply> {
        auto reply = parse_dns_reply(packet);
        if (!reply || reply->id != kDnsQueryId || !reply->response || reply->response_code != 0) return std::nullopt;
        const bool names = has_names(reply->answers, type) || (type == kDnsTypeNs && has_names(reply->authority, type));
        return names ? reply : std::nullopt;
    };
    const auto packet = dns.Exchange(servers, *query, timeout_ms, [&](ByteView p) { return usable(p).has_value(); });
    return packet ? usable(*packet) : std::nullopt;
}

std::optional<std::string> first_exchanger(DnsTransport& dns, const std::vector<std::string>& servers,
                                           std::string_view domain, std::string_view base, int timeout_ms) {
    // `base` is empty when it is the domain itself.
    for (const std::string_view name : {domain, base}) {
        if (name.empty()) continue;
        if (const auto reply = ask(dns, servers, name, kDnsTypeMx, timeout_ms))
            for (const DnsRecord& record : reply->answers)
                if (record.type == kDnsTypeMx && !record.host.empty()) return record.host;
    }
    return std::nullopt;
}

// The addresses the additional records give for the name servers of `records`.
std::vector<std::string> glue_addresses(const DnsReply& reply, const std::vector<DnsRecord>& records) {
    std::vector<std::string> addresses;
    for (const DnsRecord& ns : records) {
        if (ns.type != kDnsTypeNs) continue;
        for (const DnsRecord& a : reply.additional)
            if (a.type == kDnsTypeA && a.address != 0 && equal_ignoring_case(a.name, ns.host))
                addresses.push_back(ipv4_text(a.address));
    }
    return addresses;
}

// The servers that know the base domain: NS asked from the roots down, referral by referral.
std::vector<std::string> walk_to_name_servers(DnsTransport& dns, const MxLookupOptions& options, std::string_view base) {
    std::vector<std::string> servers = options.roots;
    for (int round = 0; round < kDnsReferralRounds; ++round) {
        const auto reply = ask(dns, servers, base, kDnsTypeNs, options.timeout_ms);
        if (!reply) return {};
        if (has_names(reply->answers, kDnsTypeNs)) {
            // The domain's own servers where their addresses came along, else those that answered.
            std::vector<std::string> found = glue_addresses(*reply, reply->answers);
            return found.empty() ? servers : found;
        }
        servers = glue_addresses(*reply, reply->authority);
        if (servers.empty()) return {};
    }
    return {};
}

}  // namespace

std::vector<std::string> dns_server_list(std::string_view text) {
    std::string commas(text);
    for (char& c : commas)
        if (c == ' ' || c == '\t') c = ',';
    std::vector<std::string> servers;
    for (std::string_view item : split_list(commas, ','))
        if (!item.empty()) servers.emplace_back(item);
    return servers;
}

std::vector<std::string> root_name_servers() { return {"198.41.0.4", "192.33.4.12"}; }

std::optional<std::string> find_mail_exchanger(std::string_view address, DnsTransport& dns,
                                               const MxLookupOptions& options) {
    const std::string domain = address_domain(address);
    if (domain.empty()) return std::nullopt;
    const std::string base = base_domain(domain);
    const std::string second = base == domain ? std::string() : base;
    if (!options.servers.empty()) return first_exchanger(dns, options.servers, domain, second, options.timeout_ms);
    const std::vector<std::string> servers = walk_to_name_servers(dns, options, base);
    return first_exchanger(dns, servers, domain, second, options.timeout_ms);
}

}  // namespace roadsum
