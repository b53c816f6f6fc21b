// The mail that carries a report: header lines, the body, and the attachments as MIME parts in
// Base64. Written into a sink piece by piece, so attachments stream from their files.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "crash/common/byte_sink.h"
#include "crash/send/send_files.h"
#include "crash/send/send_progress.h"

namespace roadsum {

struct MailAttachment {
    std::string path;     // the file on disk
    std::string send_as;  // the name the recipient sees
};

struct MailContent {
    std::string recipients;  // the list as the settings hold it
    std::string sender;      // "Name <address>" or an address; may be empty
    std::string subject;
    std::string body;
    std::vector<MailAttachment> attachments;
};

// The moment a mail is made, in UTC.
struct MailTime {
    int year = 1601, month = 1, day = 1, hour = 0, minute = 0, second = 0;
    std::uint64_t file_time = 0;  // 100-ns units since 1601
};

// Separates the MIME parts of a mail and of an upload. "-" is not Base64, so no encoded line
// can hold it; only letters, digits and "-", so HTTP may write it without quotes.
inline constexpr std::string_view kMimeBoundary = "----noxExcept-5E1C0A7B93F2-Part";

// "=?ISO-8859-1?Q?...?=" words of at most 75 characters, folded onto continuation lines when
// the subject is long; line breaks in the subject become blanks.
std::string encode_subject(std::string_view subject);
// "7 Mar 2024 09:05:04 UT"
std::string mail_date(const MailTime& time);
// "<01DA706D5C3A1E00@noxExcept>"
std::string message_id(std::uint64_t file_time);
// Line breaks made CR LF, and a line holding only "." sent as ". ".
std::string mail_body_text(std::string_view body);
// "image/png" for a file on disk named *.png (any case), else "application/octet-stream".
std::string_view attachment_content_type(std::string_view path);

// Writes the whole message (headers and body, without the SMTP end mark). Attachments that do
// not exist or are empty get no part; without any left the mail is plain text. False when a
// file could not be read or the sink failed.
bool write_mail_message(const MailContent& content, const MailTime& time, SendFiles& files, ByteSink& out,
                        SendProgress& progress);

}  // namespace roadsum
