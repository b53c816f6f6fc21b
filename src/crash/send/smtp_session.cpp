#include "crash/send/smtp_session.h"

#include <algorithm>
#include <cctype>

#include "crash/send/base64.h"
#include "crash/send/header_values.h"
#include "crash/send/mail_addresses.h"

namespace roadsum {
namespace {

// More lines than any server's EHLO answer has; a reply beyond that is not a reply.
constexpr int kMaxReplyLines = 200;

bool lists_login(std::string_view line) {
    // "=" reads as a blank, so old servers' "AUTH=LOGIN" counts as well.
    std::string words(line);
    std::replace(words.begin(), words.end(), '=', ' ');
    for (char& c : words) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (words.rfind("AUTH ", 0) != 0) return false;
    std::size_t at = 5;
    while (at < words.size()) {
        while (at < words.size() && words[at] == ' ') ++at;
        const std::size_t end = std::min(words.find(' ', at), words.size());
        if (words.compare(at, end - at, "LOGIN") == 0) return true;
        at = end;
    }
    return false;
}

class Session {
public:
    Session(StreamConnection& connection, SendProgress& progress, int timeout_ms)
        : connection_(connection), reader_(connection, timeout_ms), progress_(progress) {}

    std::optional<SmtpReply> Reply() { return read_smtp_reply(reader_); }

    bool Command(std::string_view text) {
        std::string line(text);
        line += "\r\n";
        return connection_.Send(bytes_of(line));
    }
    // Sends a command and tells whether the reply has the wanted code.
    bool Exchange(std::string_view text, int want, SmtpReply* reply = nullptr) {
        if (!Command(text)) return false;
        const auto answer = Reply();
        if (reply && answer) *reply = *answer;
        progress_.Position(std::min(1000, ++steps_ * 100));
        return answer && answer->code == want;
    }

private:
    StreamConnection& connection_;
    LineReader reader_;
    SendProgress& progress_;
    int steps_ = 0;
};

bool converse(Session& session, StreamConnection& connection, const SmtpJob& job, SendFiles& files,
              SendProgress& progress) {
    SmtpReply hello;
    const std::string name = header_safe(job.client_name);
    if (!session.Exchange("EHLO " + name, 250, &hello)) {
        hello = {};
        if (!session.Exchange("HELO " + name, 250)) return false;
    }
    if (!job.account.empty() || !job.password.empty()) {
        progress.Area(SendArea::Authenticate);
        // Without LOGIN on offer the mail goes unauthenticated; the server decides.
        if (hello.offers_auth_login && !(session.Exchange("AUTH LOGIN", 334) &&
                                         session.Exchange(base64_encode(job.account), 334) &&
                                         session.Exchange(base64_encode(job.password), 235)))
            return false;
    }
    progress.Area(SendArea::SendMail);
    if (job.recipients.empty()) return false;
    const std::string from = job.content.sender.empty() ? envelope_address(job.recipients.front())
                                                        : envelope_address(job.content.sender);
    if (!session.Exchange("MAIL FROM:" + from, 250)) return false;
    int accepted = 0;
    for (const std::string& recipient : job.recipients)
        if (session.Exchange("RCPT TO:" + envelope_address(recipient), 250)) ++accepted;
    if (accepted == 0) return false;
    if (job.content.subject.empty() && job.content.body.empty()) return session.Exchange("RSET", 250);
    if (!session.Exchange("DATA", 354)) return false;
    DotStuffingSink data(connection);
    if (!write_mail_message(job.content, job.time, files, data, progress) || !data.write(bytes_of("\r\n")) ||
        !data.flush())
        return false;
    progress.Area(SendArea::Finalize);
    return session.Exchange(".", 250);
}

}  // namespace

std::optional<SmtpReply> read_smtp_reply(LineReader& reader) {
    SmtpReply reply;
    std::string line;
    for (int count = 0; count < kMaxReplyLines; ++count) {
        if (!reader.ReadLine(line)) return std::nullopt;
        if (line.size() < 3 || !std::isdigit(static_cast<unsigned char>(line[0])) ||
            !std::isdigit(static_cast<unsigned char>(line[1])) || !std::isdigit(static_cast<unsigned char>(line[2])))
            return std::nullopt;
        const char mark = line.size() > 3 ? line[3] : ' ';
        if (mark != ' ' && mark != '-') return std::nullopt;
        const int code = (line[0] - '0') * 100 + (line[1] - '0') * 10 + (line[2] - '0');
        if (count > 0 && code != reply.code) return std::nullopt;
        reply.code = code;
        if (line.size() > 4 && lists_login(std::string_view(line).substr(4))) reply.offers_auth_login = true;
        if (mark == ' ') return reply;
    }
    return std::nullopt;
}

bool DotStuffingSink::write(ByteView bytes) {
    for (const std::uint8_t b : bytes) {
        if (line_start_ && b == '.') pending_ += '.';
        pending_ += static_cast<char>(b);
        line_start_ = b == '\n';
    }
    return pending_.size() < 16384 || flush();
}

bool DotStuffingSink::flush() {
    if (pending_.empty()) return true;
    const bool sent = connection_.Send(bytes_of(pending_));
    pending_.clear();
    return sent;
}

bool run_smtp_session(StreamConnection& connection, const SmtpJob& job, SendFiles& files, SendProgress& progress,
                      int timeout_ms) {
    Session session(connection, progress, timeout_ms);
    const auto greeting = session.Reply();
    if (!greeting || greeting->code != 220) return false;
    const bool sent = converse(session, connection, job, files, progress);
    // The mail counts once the server took it; QUIT is asked for in any case and must be answered.
    const bool quit = session.Exchange("QUIT", 221);
    return sent && quit;
}

}  // namespace roadsum
