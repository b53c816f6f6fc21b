#include "crash/send/smtp_session.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>

#include "crash/send/base64.h"
#include "crash/send/mail_delivery.h"
#include "send_fakes.h"

namespace roadsum {
namespace {

using testing::MemoryFiles;
using testing::RecordingProgress;
using testing::ScriptedPeer;

SmtpJob job_for(std::vector<std::string> recipients, std::string body = "line\r\n.\r\n.dot") {
    SmtpJob job;
    job.client_name = "WORKSHOP-PC";
    job.recipients = std::move(recipients);
    job.content = {"a@x.org", "noxExcept <from@x.org>", "bug report", std::move(body), {}};
    job.time = {2024, 3, 7, 9, 5, 4, 0x01DA706D5C3A1E00ull};
    return job;
}

const std::string kHeaders =
    "To: <a@x.org>\r\nFrom: noxExcept <from@x.org>\r\nSubject: =?ISO-8859-1?Q?bug_report?=\r\n"
    "Date: 7 Mar 2024 09:05:04 UT\r\nMessage-ID: <01DA706D5C3A1E00@noxExcept>\r\n\r\n";

struct Outcome {
    bool sent;
    std::string transcript;
};

Outcome run(SmtpJob job, std::vector<std::string> replies, ReceiveStatus end = ReceiveStatus::Closed) {
    ScriptedPeer peer(std::move(replies), end);
    MemoryFiles files;
    RecordingProgress progress;
    const bool sent = run_smtp_session(peer, job, files, progress, 7000);
    return {sent, peer.sent};
}

TEST(SmtpSession, AuthenticatedDialogueWithDotStuffing) {
    SmtpJob job = job_for({"a@x.org"});
    job.account = "user";
    job.password = "secret";
    const Outcome r = run(job, {"220 mail ready\r\n",
                            "250-mail.x.org\r\n250-SIZE 1000\r\n250-AUTH=PLAIN LOGIN\r\n250 HELP\r\n",
                            "334 VXNlcm5hbWU6\r\n", "334 UGFzc3dvcmQ6\r\n", "235 ok\r\n", "250 ok\r\n", "250 ok\r\n",
                            "354 go\r\n", "250 queued\r\n", "221 bye\r\n"});
    EXPECT_TRUE(r.sent);
    EXPECT_EQ(r.transcript, "EHLO WORKSHOP-PC\r\nAUTH LOGIN\r\n" + base64_encode("user") + "\r\n" +
                                base64_encode("secret") + "\r\nMAIL FROM:<from@x.org>\r\nRCPT TO:<a@x.org>\r\nDATA\r\n" +
                                kHeaders + "line\r\n.. \r\n..dot\r\n.\r\nQUIT\r\n");
}

TEST(SmtpSession, DialogueVariants) {
    struct Case {
        const char* name;
        std::vector<std::string> recipients;
        std::vector<std::string> replies;
        bool sent;
        std::string transcript_start;  // what the client said, up to DATA or the end
    };
    const Case cases[] = {
        {"HELO after a refused EHLO, no AUTH when not offered",
         {"a@x.org"},
         {"220 hi\r\n", "502 no\r\n", "250 hello\r\n", "250 ok\r\n", "250 ok\r\n", "354 go\r\n", "250 ok\r\n", "221 bye\r\n"},
         true,
         "EHLO WORKSHOP-PC\r\nHELO WORKSHOP-PC\r\nMAIL FROM:<from@x.org>\r\nRCPT TO:<a@x.org>\r\nDATA\r\n"},
        {"one of two recipients refused still sends",
         {"bad@x.org", "Joe <a@x.org>"},
         {"220 hi\r\n", "250 hello\r\n", "250 ok\r\n", "550 no such user\r\n", "250 ok\r\n", "354 go\r\n", "250 ok\r\n", "221 bye\r\n"},
         true,
         "EHLO WORKSHOP-PC\r\nMAIL FROM:<from@x.org>\r\nRCPT TO:<bad@x.org>\r\nRCPT TO:<a@x.org>\r\nDATA\r\n"},
        {"every recipient refused ends with QUIT",
         {"a@x.org"},
         {"220 hi\r\n", "250 hello\r\n", "250 ok\r\n", "550 no\r\n", "221 bye\r\n"},
         false,
         "EHLO WORKSHOP-PC\r\nMAIL FROM:<from@x.org>\r\nRCPT TO:<a@x.org>\r\nQUIT\r\n"},
        {"EHLO and HELO refused",
         {"a@x.org"},
         {"220 hi\r\n", "500 no\r\n", "500 no\r\n", "221 bye\r\n"},
         false,
         "EHLO WORKSHOP-PC\r\nHELO WORKSHOP-PC\r\nQUIT\r\n"},
        {"wrong greeting: nothing said",
         {"a@x.org"},
         {"554 go away\r\n"},
         false,
         ""},
        {"mail refused after DATA",
         {"a@x.org"},
         {"220 hi\r\n", "250 hello\r\n", "250 ok\r\n", "250 ok\r\n", "354 go\r\n", "552 too big\r\n", "221 bye\r\n"},
         false,
         "EHLO WORKSHOP-PC\r\nMAIL FROM:<from@x.org>\r\nRCPT TO:<a@x.org>\r\nDATA\r\n"},
        {"QUIT unanswered",
         {"a@x.org"},
         {"220 hi\r\n", "250 hello\r\n", "250 ok\r\n", "250 ok\r\n", "354 go\r\n", "250 ok\r\n"},
         false,
         "EHLO WORKSHOP-PC\r\nMAIL FROM:<from@x.org>\r\nRCPT TO:<a@x.org>\r\nDATA\r\n"},
    };
    for (const Case& c : cases) {
        const Outcome r = run(job_for(c.recipients), c.replies);
        EXPECT_EQ(r.sent, c.sent) << c.name;
        EXPECT_EQ(r.transcript.substr(0, c.transcript_start.size()), c.transcript_start) << c.name;
        if (c.transcript_start.ends_with("DATA\r\n"))
            EXPECT_TRUE(r.transcript.ends_with(".\r\nQUIT\r\n")) << c.name;
        else
            EXPECT_EQ(r.transcript, c.transcript_start) << c.name;
    }
}

TEST(SmtpSession, EmptySubjectAndBodyResetsAndMailFromFallsBackToTheRecipient) {
    SmtpJob job = job_for({"Joe <a@x.org>", "b@x.org"}, "");
    job.content.subject.clear();
    job.content.sender.clear();
    const Outcome r = run(job, {"220 hi\r\n", "250 hello\r\n", "250 ok\r\n", "250 ok\r\n", "250 ok\r\n", "250 reset\r\n", "221 bye\r\n"});
    EXPECT_TRUE(r.sent);
    EXPECT_EQ(r.transcript, "EHLO WORKSHOP-PC\r\nMAIL FROM:<a@x.org>\r\nRCPT TO:<a@x.org>\r\nRCPT TO:<b@x.org>\r\nRSET\r\nQUIT\r\n");
}

TEST(SmtpReplies, BadRepliesFail) {
    const std::pair<const char*, std::vector<std::string>> cases[] = {
        {"cut short", {"22"}},
        {"multi-line reply that never ends", {"220-a\r\n220-b\r\n"}},
        {"codes of one reply disagree", {"220-a\r\n250 b\r\n"}},
        {"no digits", {"ABC ready\r\n"}},
        {"wrong mark", {"220+ready\r\n"}},
        {"enormous line", {std::string(100000, '2')}},
        {"endless lines", {[] {
             std::string s;
             for (int i = 0; i < 300; ++i) s += "220-more\r\n";
             return s;
         }()}},
    };
    for (const auto& [name, replies] : cases) {
        ScriptedPeer peer(replies, ReceiveStatus::TimedOut);
        LineReader reader(peer, 7000);
        EXPECT_FALSE(read_smtp_reply(reader)) << name;
    }
    // Split across reads, bare line feeds, "=" as a blank, and LOGIN found among others.
    ScriptedPeer peer({"25", "0-x\n250-AUTH CRAM-MD5\r", "\n250-AUTH=LOGIN PLAIN\r\n250 8BITMIME\r\n"});
    LineReader reader(peer, 7000);
    const auto reply = read_smtp_reply(reader);
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->code, 250);
    EXPECT_TRUE(reply->offers_auth_login);
    ScriptedPeer other({"250-AUTH PLAIN LOGINX\r\n250 XAUTH LOGIN\r\n"});
    LineReader other_reader(other, 7000);
    EXPECT_FALSE(read_smtp_reply(other_reader)->offers_auth_login);
}

TEST(SmtpReplies, EveryReadWaitsNoLongerThanTheTimeOut) {
    ScriptedPeer peer({"220 "}, ReceiveStatus::TimedOut);
    LineReader reader(peer, 7000);
    EXPECT_FALSE(read_smtp_reply(reader));
    ASSERT_EQ(peer.timeouts.size(), 2u);
    for (int t : peer.timeouts) {
        EXPECT_GT(t, 6000);
        EXPECT_LE(t, 7000);
    }
}

// Exchangers by host: each connection gets the replies of a willing or an unwilling server.
class FakeConnector final : public Connector {
public:
    std::map<std::string, std::vector<std::string>> servers;
    std::vector<std::string> connected;
    std::vector<std::string> transcripts;
    std::vector<std::unique_ptr<ScriptedPeer>> kept;

    std::unique_ptr<StreamConnection> Connect(const std::string& host, int port, int) override {
        connected.push_back(host + ":" + std::to_string(port));
        auto it = servers.find(host);
        if (it == servers.end()) return nullptr;
        struct Peer final : StreamConnection {
            ScriptedPeer* peer;
            bool Send(ByteView b) override { return peer->Send(b); }
            ReceiveStatus Receive(std::string& into, std::size_t max, int t) override { return peer->Receive(into, max, t); }
        };
        kept.push_back(std::make_unique<ScriptedPeer>(it->second));
        auto connection = std::make_unique<Peer>();
        connection->peer = kept.back().get();
        return connection;
    }
};

class MxTable final : public DnsTransport {
public:
    std::map<std::string, std::string> exchangers;  // domain -> exchanger
    std::optional<std::vector<std::uint8_t>> Exchange(const std::vector<std::string>&, ByteView query, int,
                                                      const std::function<bool(ByteView)>& accept) override {
        std::size_t at = 12;
        const std::string name = *read_dns_name(query, at);
        auto it = exchangers.find(name);
        if (it == exchangers.end()) return std::nullopt;
        testing::ReplyBuilder reply(name, kDnsTypeMx);
        reply.add(0, kDnsTypeMx, it->second);
        const auto bytes = reply.bytes();
        return accept(bytes) ? std::optional(bytes) : std::nullopt;
    }
};

TEST(DirectDelivery, OneOfTwoRecipientsDeliveredCountsAsSent) {
    const std::vector<std::string> willing = {"220 hi\r\n", "250 hello\r\n", "250 ok\r\n", "250 ok\r\n",
                                              "354 go\r\n", "250 ok\r\n", "221 bye\r\n"};
    const std::vector<std::string> unwilling = {"220 hi\r\n", "250 hello\r\n", "250 ok\r\n", "550 unknown\r\n",
                                                "221 bye\r\n"};
    struct Case {
        const char* name;
        std::map<std::string, std::string> mx;
        std::map<std::string, std::vector<std::string>> servers;
        bool sent;
    };
    const Case cases[] = {
        {"second refuses", {{"a.test", "mx.a.test"}, {"b.test", "mx.b.test"}}, {{"mx.a.test", willing}, {"mx.b.test", unwilling}}, true},
        {"first has no exchanger", {{"b.test", "mx.b.test"}}, {{"mx.b.test", willing}}, true},
        {"first unreachable", {{"a.test", "mx.a.test"}, {"b.test", "mx.b.test"}}, {{"mx.b.test", willing}}, true},
        {"both refuse", {{"a.test", "mx.a.test"}, {"b.test", "mx.b.test"}}, {{"mx.a.test", unwilling}, {"mx.b.test", unwilling}}, false},
        {"no exchanger at all", {}, {}, false},
    };
    for (const Case& c : cases) {
        FakeConnector connector;
        connector.servers = c.servers;
        MxTable dns;
        dns.exchangers = c.mx;
        MemoryFiles files;
        RecordingProgress progress;
        SmtpJob job = job_for({"x@a.test", "y@b.test"});
        job.account = "not used";
        MxLookupOptions lookup;
        lookup.servers = {"10.0.0.1"};
        EXPECT_EQ(send_to_exchangers(connector, dns, lookup, 2525, job, files, progress), c.sent) << c.name;
        for (const auto& peer : connector.kept) {
            EXPECT_EQ(peer->sent.find("AUTH"), std::string::npos) << c.name;
            EXPECT_EQ(peer->sent.find("RCPT TO:<x@a.test>\r\nRCPT"), std::string::npos) << "one recipient a session";
        }
        for (const std::string& at : connector.connected) EXPECT_TRUE(at.ends_with(":2525")) << c.name;
    }
}

}  // namespace
}  // namespace roadsum
