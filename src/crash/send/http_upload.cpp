#include "crash/send/http_upload.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <chrono>
#include <utility>

#include "crash/common/text_lists.h"
#include "crash/send/base64.h"
#include "crash/send/header_values.h"
#include "crash/send/mail_addresses.h"
#include "crash/send/mail_message.h"

namespace roadsum {
namespace {

constexpr std::string_view kFieldHead = "Content-Disposition: form-data; name=\"";
constexpr std::string_view kFileType = "Content-Type: application/octet-stream";

// "name:port" gives the port when it is a number from 1 to 65535.
HttpEndpoint endpoint_of(std::string_view text, int default_port) {
    HttpEndpoint endpoint{std::string(text), default_port};
    const std::size_t colon = text.rfind(':');
    if (colon == std::string_view::npos) return endpoint;
    int port = 0;
    const std::string_view digits = text.substr(colon + 1);
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), port);
    if (error == std::errc() && end == digits.data() + digits.size() && port > 0 && port < 65536) {
        endpoint.host = std::string(text.substr(0, colon));
        endpoint.port = port;
    }
    return endpoint;
}

std::string field_part(const UploadField& field) {
    return "\r\n--" + std::string(kMimeBoundary) + "\r\n" + std::string(kFieldHead) +
           quoted_parameter_safe(field.name) + "\"\r\n\r\n" + field.content;
}

std::string file_part_head(const UploadFile& file) {
    return "\r\n--" + std::string(kMimeBoundary) + "\r\n" + std::string(kFieldHead) +
           quoted_parameter_safe(file.field) + "\"; filename=\"" + quoted_parameter_safe(file.send_as) + "\"\r\n" +
           std::string(kFileType) + "\r\n\r\n";
}

std::string_view line_at(std::string_view text, std::size_t& at) {
    const std::size_t end = text.find('\n', at);
    std::string_view line = text.substr(at, end == std::string_view::npos ? std::string_view::npos : end - at);
    at = end == std::string_view::npos ? text.size() : end + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return line;
}

// The end of the header block (after its empty line), or npos.
std::size_t headers_end(std::string_view text) {
    std::size_t at = 0;
    while (at < text.size()) {
        const bool has_end = text.find('\n', at) != std::string_view::npos;
        if (!has_end) return std::string_view::npos;
        if (line_at(text, at).empty()) return at;
    }
    return std::string_view::npos;
}

bool send_text(StreamConnection& connection, std::string_view text) { return connection.Send(bytes_of(text)); }

}  // namespace

HttpTarget http_target(std::string_view server, int http_port) {
    server = trim_blanks(server);
    if (const std::size_t scheme = server.find("://"); scheme != std::string_view::npos) server.remove_prefix(scheme + 3);
    const std::size_t slash = server.find('/');
    HttpTarget target;
    target.endpoint = endpoint_of(server.substr(0, slash), http_port);
    target.path = slash == std::string_view::npos ? "/" : std::string(server.substr(slash));
    return target;
}

std::optional<HttpEndpoint> http_proxy(std::string_view setting, int http_port) {
    std::string_view text = trim_blanks(setting);
    if (const std::size_t http = text.find("http="); http != std::string_view::npos) {
        text.remove_prefix(http + 5);
        text = text.substr(0, text.find_first_of(" ;"));
    }
    if (const std::size_t scheme = text.find("://"); scheme != std::string_view::npos) text.remove_prefix(scheme + 3);
    text = text.substr(0, text.find_first_of(" ;/"));
    // A list of only other schemes' proxies names none for HTTP.
    if (text.empty() || text.find('=') != std::string_view::npos) return std::nullopt;
    return endpoint_of(text, http_port);
}

std::uint64_t upload_content_length(const std::vector<UploadField>& fields, const std::vector<PresentUploadFile>& files) {
    const std::uint64_t b = kMimeBoundary.size();
    std::uint64_t n = b + 6;
    for (const UploadField& field : fields) n += field_part(field).size();
    for (const PresentUploadFile& item : files)
        n += item.size + b + item.file->send_as.size() + item.file->field.size() + 102;
    return n;
}

std::string upload_request_head(const UploadJob& job, std::uint64_t content_length) {
    const HttpEndpoint& at = job.target.endpoint;
    const std::string host = header_safe(at.host) + ":" + std::to_string(at.port);
    // A blank would end the request line's path early.
    std::string path;
    for (const char c : header_safe(job.target.path)) path += c == ' ' ? std::string("%20") : std::string(1, c);
    std::string head = "POST " + (job.via_proxy ? "http://" + host + path : path) + " HTTP/1.1\r\n";
    head += "Host: " + host + "\r\n";
    head += "Connection: close\r\n";
    head += "Pragma: no-cache\r\n";
    head += "User-Agent: noxExcept/3.0\r\n";
    head += "Content-Type: multipart/form-data; boundary=" + std::string(kMimeBoundary) + "\r\n";
    head += "Content-Length: " + std::to_string(content_length) + "\r\n";
    if (!job.sender.empty()) head += "From: " + envelope_address(job.sender) + "\r\n";
    if (!job.account.empty() || !job.password.empty())
        head += "Authorization: Basic " + base64_encode(job.account + ":" + job.password) + "\r\n";
    return head;
}

HttpAnswer evaluate_http_answer(std::string_view received, bool complete) {
    const HttpAnswer incomplete{complete ? HttpAnswer::Refused : HttpAnswer::Incomplete, {}};
    if (!complete && received.find('\n') == std::string_view::npos) return incomplete;
    std::size_t at = 0;
    const std::string_view status_line = line_at(received, at);
    if (status_line.rfind("HTTP/", 0) != 0) return {HttpAnswer::Refused, {}};
    const std::size_t blank = status_line.find(' ');
    const std::string_view status = blank == std::string_view::npos
                                        ? std::string_view()
                                        : trim_blanks(status_line.substr(blank + 1, 4));
    if (status == "100") {
        const std::size_t end = headers_end(received);
        return end == std::string_view::npos ? incomplete : evaluate_http_answer(received.substr(end), complete);
    }
    if (status == "200") return {HttpAnswer::Accepted, {}};
    if (status != "302") return {HttpAnswer::Refused, {}};
    const std::size_t end = headers_end(received);
    const std::string_view headers = received.substr(0, end);
    for (std::size_t line_start = at; line_start < headers.size();) {
        const std::string_view line = line_at(headers, line_start);
        if (starts_with_ignoring_case(line, "Location:"))
            return {HttpAnswer::Redirected, std::string(trim_blanks(line.substr(9)))};
    }
    // Without the address yet, wait for the rest of the headers; at their end, the upload went.
    if (end == std::string_view::npos && !complete) return incomplete;
    return {HttpAnswer::Redirected, {}};
}

std::optional<std::string> redirect_address(std::string_view location, const HttpEndpoint& server) {
    location = trim_blanks(location);
    if (starts_with_ignoring_case(location, "http://") || starts_with_ignoring_case(location, "https://")) {
        for (const char c : location)
            if (static_cast<unsigned char>(c) <= ' ' || c == '"') return std::nullopt;
        return std::string(location);
    }
    if (location.empty() || location.front() != '/' || location.rfind("//", 0) == 0) return std::nullopt;
    return redirect_address("http://" + server.host + ":" + std::to_string(server.port) + std::string(location), server);
}

HttpAnswer run_http_upload(StreamConnection& connection, const UploadJob& job, SendFiles& files,
                           SendProgress& progress, int timeout_ms) {
    std::vector<PresentUploadFile> present;
    for (const UploadFile& file : job.files)
        if (const auto size = files.Size(file.path); size && *size > 0) present.push_back({&file, *size});
    const HttpAnswer refused{HttpAnswer::Refused, {}};

    if (!send_text(connection, upload_request_head(job, upload_content_length(job.fields, present)))) return refused;
    progress.Area(SendArea::Fields);
    for (std::size_t i = 0; i < job.fields.size(); ++i) {
        if (!send_text(connection, field_part(job.fields[i]))) return refused;
        progress.Position(static_cast<int>((i + 1) * 1000 / job.fields.size()));
    }
    if (!present.empty()) progress.Area(SendArea::SendAttachments);
    for (const PresentUploadFile& item : present) {
        if (!send_text(connection, file_part_head(*item.file))) return refused;
        std::uint64_t done = 0;
        int shown = -1;
        const bool sent = files.Read(item.file->path, kHttpFilePiece, item.size, [&](ByteView piece) {
            done += piece.size();
            if (const int permille = static_cast<int>(done * 1000 / item.size); permille != shown)
                progress.Position(shown = permille);
            return connection.Send(piece);
        });
        if (!sent) return refused;
    }
    progress.Area(SendArea::Finalize);
    if (!send_text(connection, "\r\n--" + std::string(kMimeBoundary) + "--\r\n")) return refused;

    // The answer: data within the time-out, then the rest within one more, at most 5120 bytes.
    using Clock = std::chrono::steady_clock;
    std::string received;
    auto deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
    bool first_data = true;
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        const ReceiveStatus status =
            left <= 0 ? ReceiveStatus::TimedOut
                      : connection.Receive(received, kHttpAnswerBytes - received.size(), static_cast<int>(left));
        const bool complete = status != ReceiveStatus::Data || received.size() >= kHttpAnswerBytes;
        const HttpAnswer answer = evaluate_http_answer(received, complete);
        if (answer.kind != HttpAnswer::Incomplete) return answer;
        if (std::exchange(first_data, false)) deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
    }
}

}  // namespace roadsum
