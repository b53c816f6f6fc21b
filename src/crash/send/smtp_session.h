// The SMTP dialogue that hands a report mail to a server: greeting, EHLO (or HELO), AUTH LOGIN
// when the server offers it and an account is set, the envelope, the message and QUIT.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "crash/send/mail_message.h"
#include "crash/send/stream_connection.h"

namespace roadsum {

struct SmtpReply {
    int code = 0;
    bool offers_auth_login = false;  // a line "AUTH ..." (or "AUTH=...") listing LOGIN
};

// One reply, every line of a multi-line reply ("250-...") read up to its last line ("250 ...").
// Nothing when a line is not three digits followed by a blank, "-" or its end, when the lines
// of one reply disagree on the code, or when the reply is cut short, too long or too slow.
std::optional<SmtpReply> read_smtp_reply(LineReader& reader);

// Writes to the connection as the DATA command wants it: every line that starts with "." gets
// a second one, so the server takes none of them for the end of the mail.
class DotStuffingSink final : public ByteSink {
public:
    explicit DotStuffingSink(StreamConnection& connection) : connection_(connection) {}
    bool write(ByteView bytes) override;
    bool flush() override;

private:
    StreamConnection& connection_;
    std::string pending_;
    bool line_start_ = true;
};

struct SmtpJob {
    std::string client_name;  // the computer name for EHLO and HELO
    std::string account;      // empty account and password: no authentication
    std::string password;
    std::vector<std::string> recipients;  // envelope addresses, one RCPT TO each
    MailContent content;
    MailTime time;
};

inline constexpr int kSmtpTimeoutMs = 7000;

// The whole session over a connected stream. True when the mail was accepted (the "250" after
// the message) and QUIT was answered. Once the greeting came, a failure still sends QUIT.
bool run_smtp_session(StreamConnection& connection, const SmtpJob& job, SendFiles& files, SendProgress& progress,
                      int timeout_ms = kSmtpTimeoutMs);

}  // namespace roadsum
