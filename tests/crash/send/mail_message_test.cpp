#include "crash/send/mail_message.h"

#include <gtest/gtest.h>

#include "crash/common/byte_sink.h"
#include "crash/send/base64.h"
#include "crash/send/header_values.h"
#include "crash/send/mail_addresses.h"
#include "send_fakes.h"

namespace roadsum {
namespace {

using testing::MemoryFiles;
using testing::RecordingProgress;

std::string text_of(const MemorySink& sink) { return std::string(sink.bytes().begin(), sink.bytes().end()); }

const MailTime kTime{2024, 3, 7, 9, 5, 4, 0x01DA706D5C3A1E00ull};

TEST(Base64, StandardVectors) {
    const std::pair<const char*, const char*> cases[] = {
        {"", ""}, {"f", "Zg=="}, {"fo", "Zm8="}, {"foo", "Zm9v"}, {"foob", "Zm9vYg=="}, {"fooba", "Zm9vYmE="},
        {"foobar", "Zm9vYmFy"}, {"\xFF\xFE\xFD", "//79"}, {"user:pa ss", "dXNlcjpwYSBzcw=="}};
    for (const auto& [plain, encoded] : cases) EXPECT_EQ(base64_encode(std::string_view(plain)), encoded) << plain;
}

TEST(MailHeaders, SubjectDateAndId) {
    EXPECT_EQ(encode_subject("bug report"), "=?ISO-8859-1?Q?bug_report?=");
    EXPECT_EQ(encode_subject("EConvertError: 'x' = 5?\xE4"),
              "=?ISO-8859-1?Q?EConvertError=3A_=27x=27_=3D_5=3F=E4?=");
    EXPECT_EQ(encode_subject(""), "");
    // Line breaks in a subject cannot start a header of their own.
    EXPECT_EQ(encode_subject("a\r\nBcc: x@y"), "=?ISO-8859-1?Q?a__Bcc=3A_x=40y?=");
    // A long subject is folded into encoded words of at most 75 characters, no escape split.
    const std::string folded = encode_subject(std::string(100, '\xE9'));
    std::size_t start = 0, words = 0;
    while (start < folded.size()) {
        std::size_t end = folded.find("\r\n ", start);
        if (end == std::string::npos) end = folded.size();
        const std::string word = folded.substr(start, end - start);
        EXPECT_LE(word.size(), 75u);
        EXPECT_EQ(word.rfind("=?ISO-8859-1?Q?", 0), 0u);
        EXPECT_EQ(word.substr(word.size() - 2), "?=");
        EXPECT_EQ((word.size() - 17) % 3, 0u) << word;
        ++words;
        start = end + 3;
    }
    EXPECT_EQ(words, 6u);

    EXPECT_EQ(mail_date(kTime), "7 Mar 2024 09:05:04 UT");
    EXPECT_EQ(mail_date({1999, 12, 31, 23, 59, 58, 0}), "31 Dec 1999 23:59:58 UT");
    EXPECT_EQ(message_id(kTime.file_time), "<01DA706D5C3A1E00@noxExcept>");
}

TEST(MailBody, LoneDotLinesAndLineBreaks) {
    const std::pair<const char*, const char*> cases[] = {
        {"a\r\n.\r\nb", "a\r\n. \r\nb"},
        {".\r\nb", ". \r\nb"},
        {"a\r\n.", "a\r\n. "},
        {".", ". "},
        {"a\n.\nb\rc", "a\r\n. \r\nb\r\nc"},
        {"..\r\n.x", "..\r\n.x"},  // the SMTP layer doubles these, the body keeps them
        {"", ""},
    };
    for (const auto& [body, sent] : cases) EXPECT_EQ(mail_body_text(body), sent) << body;
}

TEST(MailAddresses, ListsEnvelopeAndDomains) {
    EXPECT_EQ(address_items(" a@x.org ; Joe <b@y.com>,,c@z "),
              (std::vector<std::string>{"a@x.org", "Joe <b@y.com>", "c@z"}));
    EXPECT_EQ(envelope_address("a@x.org"), "<a@x.org>");
    EXPECT_EQ(envelope_address("Joe <b@y.com> (home)"), "<b@y.com>");
    EXPECT_EQ(envelope_address("Joe <b@y.com"), "<b@y.com>");
    EXPECT_EQ(header_address_list("a@x.org;Joe <b@y.com>"), "<a@x.org>, Joe <b@y.com>");
    EXPECT_EQ(header_address_list("a@x.org\r\nBcc: c@d"), "<a@x.org  Bcc: c@d>");
    EXPECT_EQ(address_domain("<a@mail.example.co.uk>"), "mail.example.co.uk");
    EXPECT_EQ(address_domain("nobody"), "");
    EXPECT_EQ(base_domain("a.mail.example.co.uk"), "example.co.uk");
    EXPECT_EQ(base_domain("example.com"), "example.com");
    EXPECT_EQ(header_safe("x\ry\nz\tw"), "x y z w");
    EXPECT_EQ(quoted_parameter_safe("a\"b\r\n.txt"), "a'b  .txt");
}

TEST(MailMessage, WithoutAttachmentsIsPlainText) {
    MemoryFiles files;
    files.files["empty.bin"] = "";
    MailContent content{"a@x.org; b@y.org", "noxExcept <a@x.org>", "bug report", "line 1\r\n.\r\nline 3", {{"empty.bin", "e.bin"}, {"missing", "m"}}};
    MemorySink out;
    RecordingProgress progress;
    ASSERT_TRUE(write_mail_message(content, kTime, files, out, progress));
    EXPECT_EQ(text_of(out),
              "To: <a@x.org>, <b@y.org>\r\n"
              "From: noxExcept <a@x.org>\r\n"
              "Subject: =?ISO-8859-1?Q?bug_report?=\r\n"
              "Date: 7 Mar 2024 09:05:04 UT\r\n"
              "Message-ID: <01DA706D5C3A1E00@noxExcept>\r\n"
              "\r\n"
              "line 1\r\n. \r\nline 3");
}

TEST(MailMessage, AttachmentsAsBase64Parts) {
    MemoryFiles files;
    std::string report(200, 'r');
    for (std::size_t i = 0; i < report.size(); ++i) report[i] = static_cast<char>(i * 7);
    files.files["C:\\tmp\\bugreport.txt"] = report;
    files.files["C:\\tmp\\shot.PNG"] = "\x89PNG";
    files.files["C:\\tmp\\none.txt"] = "";
    MailContent content{"a@x.org", "", "s", "body",
                        {{"C:\\tmp\\bugreport.txt", "bugreport.txt"},
                         {"C:\\tmp\\none.txt", "none.txt"},
                         {"C:\\tmp\\shot.PNG", "screen\"shot\r\n.png"}}};
    MemorySink out;
    RecordingProgress progress;
    ASSERT_TRUE(write_mail_message(content, kTime, files, out, progress));
    const std::string b(kMimeBoundary);
    std::string report_lines;
    for (std::size_t at = 0; at < report.size(); at += 57)
        report_lines += base64_encode(std::string_view(report).substr(at, 57)) + "\r\n";
    EXPECT_EQ(text_of(out),
              "To: <a@x.org>\r\nFrom: \r\nSubject: =?ISO-8859-1?Q?s?=\r\nDate: 7 Mar 2024 09:05:04 UT\r\n"
              "Message-ID: <01DA706D5C3A1E00@noxExcept>\r\n"
              "MIME-Version: 1.0\r\n"
              "Content-Type: multipart/mixed; boundary=\"" + b + "\"\r\n"
              "\r\n"
              "This is a multi-part message in MIME format.\r\n"
              "\r\n"
              "--" + b + "\r\n"
              "Content-Type: text/plain; charset=\"iso-8859-1\"\r\n"
              "Content-Transfer-Encoding: 8bit\r\n"
              "\r\n"
              "body\r\n"
              "--" + b + "\r\n"
              "Content-Type: application/octet-stream; name=\"bugreport.txt\"\r\n"
              "Content-Transfer-Encoding: base64\r\n"
              "Content-Disposition: attachment; filename=\"bugreport.txt\"\r\n"
              "\r\n" + report_lines +
              "--" + b + "\r\n"
              "Content-Type: image/png; name=\"screen'shot  .png\"\r\n"
              "Content-Transfer-Encoding: base64\r\n"
              "Content-Disposition: attachment; filename=\"screen'shot  .png\"\r\n"
              "\r\n"
              "iVBORw==\r\n"
              "--" + b + "--\r\n");
    EXPECT_EQ(report_lines.find("\r\n"), 76u);
    EXPECT_EQ(progress.areas, std::vector<SendArea>{SendArea::SendAttachments});
    EXPECT_EQ(progress.positions.back(), 1000);
}

TEST(MailMessage, ReadErrorEndsThePartAndFails) {
    MemoryFiles files;
    files.files["a.txt"] = "abc";
    files.unreadable = {"a.txt"};
    MemorySink out;
    RecordingProgress progress;
    EXPECT_FALSE(write_mail_message({"a@x.org", "", "s", "b", {{"a.txt", "a.txt"}}}, kTime, files, out, progress));
    const std::string text = text_of(out);
    const std::string end = "filename=\"a.txt\"\r\n\r\n\r\n";  // the part's empty line, then the break
    EXPECT_EQ(text.substr(text.size() - end.size()), end);
}

}  // namespace
}  // namespace roadsum
