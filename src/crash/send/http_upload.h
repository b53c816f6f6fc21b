// The HTTP upload of a report: a multipart/form-data POST of the extra fields and the
// attachment files, and the evaluation of the server's answer.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "crash/send/send_files.h"
#include "crash/send/send_progress.h"
#include "crash/send/stream_connection.h"

namespace roadsum {

struct HttpEndpoint {
    std::string host;
    int port = 80;
};

// Where HttpServer points: a scheme prefix ("http://") removed, the text up to the first "/"
// the host (with ":port" giving the port, else `http_port`), the rest the path ("/" at least).
struct HttpTarget {
    HttpEndpoint endpoint;
    std::string path;
};
HttpTarget http_target(std::string_view server, int http_port);

// The proxy of the internet settings ("http=proxy:8080 https=..." or "proxy:8080"), nothing
// when the text names none.
std::optional<HttpEndpoint> http_proxy(std::string_view setting, int http_port);

struct UploadField {
    std::string name;
    std::string content;
};

struct UploadFile {
    std::string path;
    std::string send_as;
    std::string field;
};

struct UploadJob {
    HttpTarget target;
    bool via_proxy = false;  // the request line then names the whole address
    std::string sender;      // for "From:"; may be empty
    std::string account;     // Basic authorization when account or password is set
    std::string password;
    std::vector<UploadField> fields;
    std::vector<UploadFile> files;
};

// A file that goes along, with the size it had when the request was made.
struct PresentUploadFile {
    const UploadFile* file;
    std::uint64_t size;
};

std::uint64_t upload_content_length(const std::vector<UploadField>& fields, const std::vector<PresentUploadFile>& files);
std::string upload_request_head(const UploadJob& job, std::uint64_t content_length);

// What the server's answer means so far.
struct HttpAnswer {
    enum Kind { Incomplete, Accepted, Redirected, Refused } kind = Incomplete;
    std::string location;  // of a redirection, when it named one
};
// `complete` tells that no more data will come. "100 Continue" answers are skipped; "200" is
// accepted; "302" is accepted as redirection; anything else, or a status line that is not one,
// is refused.
HttpAnswer evaluate_http_answer(std::string_view received, bool complete);

// The web address a redirection leads to: an http or https address as it is, a path against the
// upload server; nothing for anything else, so a server cannot make us open a file or start a
// program.
std::optional<std::string> redirect_address(std::string_view location, const HttpEndpoint& server);

inline constexpr int kHttpTimeoutMs = 7000;
inline constexpr std::size_t kHttpAnswerBytes = 5120;
inline constexpr std::size_t kHttpFilePiece = 1024;

// Sends the request over a connected stream and reads the answer. Files that do not exist or
// are empty are left out.
HttpAnswer run_http_upload(StreamConnection& connection, const UploadJob& job, SendFiles& files,
                           SendProgress& progress, int timeout_ms = kHttpTimeoutMs);

}  // namespace roadsum
