#include <gtest/gtest.h>

#include <map>

#include "crash/send/dns_message.h"
#include "crash/send/mx_lookup.h"
#include "send_fakes.h"

namespace roadsum {
namespace {

using testing::Bytes;
using testing::ReplyBuilder;
using testing::put16;

TEST(DnsQuery, PacketBytes) {
    const auto query = dns_query("mail.example.com", kDnsTypeMx);
    ASSERT_TRUE(query);
    EXPECT_EQ(*query, (Bytes{0, 1, 1, 0, 0, 1, 0, 0, 0, 0, 0, 0, 4, 'm', 'a', 'i', 'l', 7, 'e', 'x', 'a', 'm', 'p', 'l',
                             'e', 3, 'c', 'o', 'm', 0, 0, 15, 0, 1}));
    EXPECT_EQ(dns_query("example.com.", kDnsTypeNs)->size(), 12u + 13 + 4);
    for (const std::string& bad : {std::string(), std::string("a..b"), std::string(".a"), std::string(64, 'x') + ".com",
                                   std::string(300, 'a')})
        EXPECT_FALSE(dns_query(bad, kDnsTypeMx)) << bad;
}

TEST(DnsReply, RecordsWithCompressedNames) {
    ReplyBuilder r("example.com", kDnsTypeMx);
    r.add(0, kDnsTypeMx, "mx1.example.com", 10);
    r.add(0, kDnsTypeMx, "mx2.example.com", 5);
    r.glue("mx1.example.com", 0x7F000001);
    Bytes packet = r.bytes();
    // The second exchanger's name written as "mx2" plus a pointer to the question's name.
    const auto reply = parse_dns_reply(packet);
    ASSERT_TRUE(reply);
    EXPECT_TRUE(reply->response);
    EXPECT_EQ(reply->response_code, 0);
    ASSERT_EQ(reply->answers.size(), 2u);
    EXPECT_EQ(reply->answers[0].name, "example.com");
    EXPECT_EQ(reply->answers[0].host, "mx1.example.com");
    EXPECT_EQ(reply->answers[1].preference, 5);
    ASSERT_EQ(reply->additional.size(), 1u);
    EXPECT_EQ(ipv4_text(reply->additional[0].address), "127.0.0.1");

    Bytes compressed(packet.begin(), packet.begin() + 12 + 13 + 4);
    compressed[7] = 1;  // one answer and nothing else
    compressed[11] = 0;
    put16(compressed, 0xC00C), put16(compressed, kDnsTypeMx), put16(compressed, 1), put16(compressed, 0), put16(compressed, 60);
    put16(compressed, 2 + 4 + 2);
    put16(compressed, 1);
    compressed.insert(compressed.end(), {3, 'm', 'x', '3', 0xC0, 12});
    const auto short_form = parse_dns_reply(compressed);
    ASSERT_TRUE(short_form);
    EXPECT_EQ(short_form->answers[0].host, "mx3.example.com");
}

TEST(DnsReply, MalformedPacketsAreRefused) {
    ReplyBuilder r("example.com", kDnsTypeMx);
    r.add(0, kDnsTypeMx, "mx1.example.com");
    const Bytes good = r.bytes();
    auto with = [&](std::size_t at, std::initializer_list<std::uint8_t> bytes) {
        Bytes b = good;
        for (const std::uint8_t v : bytes) b.at(at++) = v;
        return b;
    };
    const std::size_t answer = 12 + 13 + 4;
    const std::pair<const char*, Bytes> cases[] = {
        {"header cut", Bytes(good.begin(), good.begin() + 7)},
        {"record cut", Bytes(good.begin(), good.end() - 3)},
        {"pointer to itself", with(answer, {0xC0, static_cast<std::uint8_t>(answer)})},
        {"pointer forward", with(12, {0xC0, static_cast<std::uint8_t>(answer)})},
        {"pointer beyond the packet", with(answer, {0xFF, 0xFF})},
        {"loop between two pointers", with(12, {0xC0, 14, 0xC0, 12})},
        {"reserved label kind", with(12, {0x40})},
        {"label past the end", with(answer + 14, {200})},
        {"more answers than there are", with(7, {5})},
    };
    for (const auto& [name, packet] : cases) EXPECT_FALSE(parse_dns_reply(packet)) << name;
    // A name of more than 255 characters made of pointers back to long labels.
    Bytes chain = {0, 1, 0x81, 0x80, 0, 1, 0, 0, 0, 0, 0, 0};
    std::vector<std::size_t> starts;
    for (int i = 0; i < 6; ++i) {
        starts.push_back(chain.size());
        chain.push_back(63);
        chain.insert(chain.end(), 63, 'a');
        if (i == 0) chain.push_back(0);
        else put16(chain, 0xC000 | static_cast<unsigned>(starts[i - 1]));
    }
    std::size_t at = starts.back();
    EXPECT_FALSE(read_dns_name(chain, at));
}

// Answers from a table of (server, name, type) → reply, and remembers who was asked what.
class FakeDns final : public DnsTransport {
public:
    std::map<std::tuple<std::string, std::string, std::uint16_t>, Bytes> replies;
    std::vector<std::string> asked;

    std::optional<Bytes> Exchange(const std::vector<std::string>& servers, ByteView query, int timeout_ms,
                                  const std::function<bool(ByteView)>& accept) override {
        EXPECT_EQ(timeout_ms, 5000);
        std::size_t at = 12;
        const std::string name = *read_dns_name(query, at);
        const std::uint16_t type = static_cast<std::uint16_t>(query[at] << 8 | query[at + 1]);
        for (const std::string& server : servers) {
            asked.push_back(server + " " + name + " " + std::to_string(type));
            auto it = replies.find({server, name, type});
            if (it != replies.end() && accept(it->second)) return it->second;
        }
        return std::nullopt;
    }
};

TEST(MxLookup, ConfiguredServersDomainThenBaseDomain) {
    FakeDns dns;
    ReplyBuilder empty("mail.example.co.uk", kDnsTypeMx);  // answers nothing
    dns.replies[{"10.0.0.2", "mail.example.co.uk", kDnsTypeMx}] = empty.bytes();
    ReplyBuilder base("example.co.uk", kDnsTypeMx);
    base.add(0, kDnsTypeMx, "mx.example.co.uk");
    dns.replies[{"10.0.0.2", "example.co.uk", kDnsTypeMx}] = base.bytes();
    ReplyBuilder failed("example.co.uk", kDnsTypeMx, 0x8183);  // name error, though it names one
    failed.add(0, kDnsTypeMx, "wrong.example");
    dns.replies[{"10.0.0.1", "example.co.uk", kDnsTypeMx}] = failed.bytes();

    MxLookupOptions options;
    options.servers = dns_server_list("10.0.0.1, 10.0.0.2");
    EXPECT_EQ(find_mail_exchanger("Joe <joe@mail.example.co.uk>", dns, options), "mx.example.co.uk");
    EXPECT_EQ(dns.asked, (std::vector<std::string>{"10.0.0.1 mail.example.co.uk 15", "10.0.0.2 mail.example.co.uk 15",
                                                   "10.0.0.1 example.co.uk 15", "10.0.0.2 example.co.uk 15"}));
    EXPECT_FALSE(find_mail_exchanger("nobody", dns, options));
    EXPECT_EQ(dns_server_list(" 1.2.3.4  5.6.7.8,9.9.9.9 "), (std::vector<std::string>{"1.2.3.4", "5.6.7.8", "9.9.9.9"}));
}

TEST(MxLookup, WalkFromTheRootsAlongReferrals) {
    FakeDns dns;
    ReplyBuilder root("example.com", kDnsTypeNs);
    root.add(1, kDnsTypeNs, "a.gtld.test");
    root.glue("a.gtld.test", 0x0A000005);
    dns.replies[{"192.0.2.2", "example.com", kDnsTypeNs}] = root.bytes();
    ReplyBuilder tld("example.com", kDnsTypeNs);
    tld.add(1, kDnsTypeNs, "ns1.example.com");
    tld.glue("ns1.example.com", 0x0A000009);
    dns.replies[{"10.0.0.5", "example.com", kDnsTypeNs}] = tld.bytes();
    ReplyBuilder own("example.com", kDnsTypeNs);
    own.add(0, kDnsTypeNs, "ns1.example.com");
    dns.replies[{"10.0.0.9", "example.com", kDnsTypeNs}] = own.bytes();
    ReplyBuilder mx("example.com", kDnsTypeMx);
    mx.add(0, kDnsTypeMx, "mx.example.com");
    dns.replies[{"10.0.0.9", "example.com", kDnsTypeMx}] = mx.bytes();

    MxLookupOptions options;
    options.roots = {"192.0.2.1", "192.0.2.2"};
    EXPECT_EQ(find_mail_exchanger("a@example.com", dns, options), "mx.example.com");
    EXPECT_EQ(dns.asked.back(), "10.0.0.9 example.com 15");

    // A referral that leads back to itself ends after ten rounds.
    FakeDns loop;
    ReplyBuilder again("example.com", kDnsTypeNs);
    again.add(1, kDnsTypeNs, "r.test");
    again.glue("r.test", 0xC0000201);
    loop.replies[{"192.0.2.1", "example.com", kDnsTypeNs}] = again.bytes();
    EXPECT_FALSE(find_mail_exchanger("a@example.com", loop, options));
    EXPECT_EQ(loop.asked.size(), 10u);
}

}  // namespace
}  // namespace roadsum
