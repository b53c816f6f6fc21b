#include <gtest/gtest.h>

#include "crash/send/icmp_echo.h"
#include "crash/send/mailto_link.h"
#include "crash/send/send_texts.h"
#include "settings_fakes.h"

namespace roadsum {
namespace {

TEST(Mailto, LinkIsPercentEncoded) {
    EXPECT_EQ(mailto_link("a@x.org; Joe <b@y.org>", "bug report: 100%", "line 1\r\nA&B=C?\xE4"),
              "mailto:a@x.org,Joe%20%3Cb@y.org%3E?subject=bug%20report%3A%20100%25"
              "&body=line%201%0D%0AA%26B%3DC%3F%E4");
}

TEST(Mailto, CommandAndLengthCut) {
    const std::string link = "mailto:a@x?subject=s&body=" + std::string(10, 'b');
    EXPECT_EQ(mailto_command("\"C:\\mail.exe\" /m \"%1\" /x", link), "\"C:\\mail.exe\" /m \"" + link + "\" /x");
    EXPECT_EQ(mailto_command("mail.exe", link), "mail.exe " + link);
    EXPECT_EQ(mailto_command("mail.exe /m ", link), "mail.exe /m " + link);
    // Cut so that the command keeps its end and no "%XX" escape is split.
    const std::string command = "m \"%1\"";  // 4 characters beside the link
    const std::string escapes = "mailto:?body=" + std::string(30, 'a') + "%0D%0A%0D%0A";
    for (std::size_t limit = 40; limit <= 60; ++limit) {
        const std::string line = mailto_command(command, escapes, limit);
        ASSERT_LE(line.size(), limit);
        EXPECT_GE(line.size(), limit - 2);
        EXPECT_EQ(line.substr(line.size() - 1), "\"");
        const std::string cut = line.substr(3, line.size() - 4);
        EXPECT_EQ(escapes.substr(0, cut.size()), cut);
        const std::size_t percent = cut.rfind('%');
        EXPECT_TRUE(percent == std::string::npos || percent + 3 <= cut.size()) << cut;
    }
    EXPECT_EQ(mailto_command("mail.exe", std::string(40000, 'x')).size(), kMaxCommandLine);
}

TEST(SendTexts, SenderSubjectAndBody) {
    using testing::kExe;
    using testing::SettingsWorld;
    struct Case {
        std::string properties;
        std::string sender;
    };
    const Case cases[] = {
        {"MailFrom = \"Help Desk <help@x.org>\"\nMailAddr = \"a@x.org\"", "Help Desk <help@x.org>"},
        {"MailAddr = \" Joe <joe@x.org> ; b@y.org\"", "noxExcept <joe@x.org>"},
        {"MailAddr = \"a@x.org,b@y.org\"", "noxExcept <a@x.org>"},
        {"MailAddr = \"\"", ""},
    };
    for (const Case& c : cases) {
        SettingsWorld world;
        world.give(kExe, c.properties);
        const auto settings = world.context.SettingsOf(kExe);
        EXPECT_EQ(sender_address(*settings), c.sender) << c.properties;
    }
    SettingsWorld world;
    world.give(kExe, "MailSubj = \"%exceptClass%: %exceptMsg% (%appname%)\"\nMailBody = \"see:%LF%%bugReport%\"");
    const auto settings = world.context.SettingsOf(kExe);
    const ReportTexts report{"EConvertError", "", "report %exceptClass%"};
    EXPECT_EQ(mail_subject(*settings, report), "EConvertError: Unknown (Roadsum.exe)");
    EXPECT_EQ(mail_body(*settings, report), "see:\r\nreport %exceptClass%");
}

TEST(EchoRequest, PacketAndReply) {
    const auto packet = echo_request(0x1234, 7);
    EXPECT_EQ(std::vector<std::uint8_t>(packet.begin(), packet.begin() + 12),
              (std::vector<std::uint8_t>{8, 0, packet[2], packet[3], 0x12, 0x34, 0, 7, 0xDE, 0xAD, 0xBE, 0xEF}));
    EXPECT_EQ(internet_checksum(packet), 0);  // a packet with its checksum sums to zero
    EXPECT_EQ(internet_checksum(std::vector<std::uint8_t>{0x00, 0x01, 0xF2, 0x03, 0xF4, 0xF5, 0xF6, 0xF7}), 0x220D);

    std::vector<std::uint8_t> reply(20, 0);
    reply[0] = 0x45;
    reply.insert(reply.end(), packet.begin(), packet.end());
    reply[20] = 0;  // echo reply
    EXPECT_TRUE(is_echo_reply(reply, 0x1234, 7));
    EXPECT_FALSE(is_echo_reply(reply, 0x1234, 8));
    EXPECT_FALSE(is_echo_reply(reply, 0x1235, 7));
    reply[20] = 8;
    EXPECT_FALSE(is_echo_reply(reply, 0x1234, 7));
    EXPECT_FALSE(is_echo_reply(std::vector<std::uint8_t>(reply.begin(), reply.begin() + 25), 0x1234, 7));
    EXPECT_FALSE(is_echo_reply({}, 0x1234, 7));
}

}  // namespace
}  // namespace roadsum
