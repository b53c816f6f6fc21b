#include "crash/send/mail_message.h"

#include <cctype>
#include <cstdio>

#include "crash/common/text_lists.h"
#include "crash/send/base64.h"
#include "crash/send/header_values.h"
#include "crash/send/mail_addresses.h"

namespace roadsum {
namespace {

constexpr std::string_view kCrLf = "\r\n";

bool q_plain(unsigned char c) {
    return std::isalnum(c) || c == '!' || c == '*' || c == '+' || c == '-' || c == '/';
}

struct PresentAttachment {
    const MailAttachment* attachment;
    std::uint64_t size;
};

bool put(ByteSink& out, std::string_view text) { return out.write(bytes_of(text)); }

bool write_attachment(const PresentAttachment& item, SendFiles& files, ByteSink& out, SendProgress& progress) {
    const std::string name = quoted_parameter_safe(item.attachment->send_as);
    std::string head = "--" + std::string(kMimeBoundary) + "\r\n";
    head += "Content-Type: " + std::string(attachment_content_type(item.attachment->path)) + "; name=\"" + name + "\"\r\n";
    head += "Content-Transfer-Encoding: base64\r\n";
    head += "Content-Disposition: attachment; filename=\"" + name + "\"\r\n\r\n";
    if (!put(out, head)) return false;
    // Whole lines of 57 bytes at a time; pieces from the file are a multiple of that.
    constexpr std::size_t kPiece = kBase64LineBytes * 256;
    std::uint64_t done = 0;
    int shown = -1;
    const bool read = files.Read(item.attachment->path, kPiece, item.size, [&](ByteView piece) {
        std::string lines;
        lines.reserve(piece.size() / kBase64LineBytes * 78 + 80);
        for (std::size_t at = 0; at < piece.size(); at += kBase64LineBytes) {
            lines += base64_encode(piece.subspan(at, std::min(kBase64LineBytes, piece.size() - at)));
            lines += kCrLf;
        }
        done += piece.size();
        if (const int permille = static_cast<int>(done * 1000 / item.size); permille != shown) {
            shown = permille;
            progress.Position(permille);
        }
        return put(out, lines);
    });
    if (!read) {
        put(out, kCrLf);
        return false;
    }
    return true;
}

}  // namespace

std::string encode_subject(std::string_view subject) {
    if (subject.empty()) return {};
    constexpr std::string_view kOpen = "=?ISO-8859-1?Q?", kClose = "?=";
    constexpr std::size_t kWordText = 75 - kOpen.size() - kClose.size();
    std::string out, word;
    auto finish_word = [&] {
        if (!out.empty()) out += "\r\n ";
        out += kOpen;
        out += word;
        out += kClose;
        word.clear();
    };
    for (const char ch : header_safe(subject)) {
        const auto c = static_cast<unsigned char>(ch);
        char encoded[4];
        if (c == ' ') {
            encoded[0] = '_', encoded[1] = 0;
        } else if (q_plain(c)) {
            encoded[0] = ch, encoded[1] = 0;
        } else {
            std::snprintf(encoded, sizeof encoded, "=%02X", c);
        }
        if (word.size() + std::string_view(encoded).size() > kWordText) finish_word();
        word += encoded;
    }
    finish_word();
    return out;
}

std::string mail_date(const MailTime& t) {
    static constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                              "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const char* month = t.month >= 1 && t.month <= 12 ? kMonths[t.month - 1] : "Jan";
    char text[48];
    std::snprintf(text, sizeof text, "%d %s %d %02d:%02d:%02d UT", t.day, month, t.year, t.hour, t.minute, t.second);
    return text;
}

std::string message_id(std::uint64_t file_time) {
    char text[40];
    std::snprintf(text, sizeof text, "<%08X%08X@noxExcept>", static_cast<unsigned>(file_time >> 32),
                  static_cast<unsigned>(file_time & 0xFFFFFFFFu));
    return text;
}

std::string mail_body_text(std::string_view body) {
    std::string out;
    out.reserve(body.size() + body.size() / 32);
    std::size_t line_start = 0;
    auto end_line = [&] {
        if (out.size() - line_start == 1 && out.back() == '.') out += ' ';
        out += kCrLf;
        line_start = out.size();
    };
    for (std::size_t i = 0; i < body.size(); ++i) {
        const char c = body[i];
        if (c == '\r') {
            if (i + 1 < body.size() && body[i + 1] == '\n') ++i;
            end_line();
        } else if (c == '\n') {
            end_line();
        } else {
            out += c;
        }
    }
    if (out.size() - line_start == 1 && out.back() == '.') out += ' ';
    return out;
}

std::string_view attachment_content_type(std::string_view path) {
    const bool png = path.size() >= 4 && equal_ignoring_case(path.substr(path.size() - 4), ".png");
    return png ? "image/png" : "application/octet-stream";
}

bool write_mail_message(const MailContent& content, const MailTime& time, SendFiles& files, ByteSink& out,
                        SendProgress& progress) {
    std::vector<PresentAttachment> present;
    for (const MailAttachment& attachment : content.attachments)
        if (const auto size = files.Size(attachment.path); size && *size > 0) present.push_back({&attachment, *size});

    std::string head;
    head += "To: " + header_address_list(content.recipients) + "\r\n";
    head += "From: " + header_safe(content.sender) + "\r\n";
    head += "Subject: " + encode_subject(content.subject) + "\r\n";
    head += "Date: " + mail_date(time) + "\r\n";
    head += "Message-ID: " + message_id(time.file_time) + "\r\n";
    const std::string body = mail_body_text(content.body);
    if (present.empty()) return put(out, head + "\r\n" + body);

    const std::string boundary(kMimeBoundary);
    head += "MIME-Version: 1.0\r\n";
    head += "Content-Type: multipart/mixed; boundary=\"" + boundary + "\"\r\n";
    head += "\r\nThis is a multi-part message in MIME format.\r\n\r\n";
    head += "--" + boundary + "\r\n";
    head += "Content-Type: text/plain; charset=\"iso-8859-1\"\r\n";
    head += "Content-Transfer-Encoding: 8bit\r\n\r\n";
    if (!put(out, head) || !put(out, body) || !put(out, kCrLf)) return false;
    progress.Area(SendArea::SendAttachments);
    for (const PresentAttachment& item : present)
        if (!write_attachment(item, files, out, progress)) return false;
    return put(out, "--" + boundary + "--\r\n");
}

}  // namespace roadsum
