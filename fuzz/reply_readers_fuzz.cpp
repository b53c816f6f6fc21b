// Arbitrary bytes as what an SMTP or HTTP server answers, handed over in pieces whose sizes
// the first byte chooses: the reply readers must end, within their limits, without crashing.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "crash/send/http_upload.h"
#include "crash/send/smtp_session.h"

namespace {

class Pieces final : public roadsum::StreamConnection {
public:
    Pieces(const std::uint8_t* data, std::size_t size, std::size_t piece) : data_(data), size_(size), piece_(piece) {}
    bool Send(roadsum::ByteView) override { return true; }
    roadsum::ReceiveStatus Receive(std::string& into, std::size_t max_bytes, int) override {
        if (at_ >= size_) return roadsum::ReceiveStatus::Closed;
        const std::size_t n = std::min({piece_, max_bytes, size_ - at_});
        into.append(reinterpret_cast<const char*>(data_ + at_), n);
        at_ += n;
        return roadsum::ReceiveStatus::Data;
    }

private:
    const std::uint8_t* data_;
    std::size_t size_, piece_, at_ = 0;
};

class NoFiles final : public roadsum::SendFiles {
public:
    std::optional<std::uint64_t> Size(const std::string&) override { return std::nullopt; }
    bool Read(const std::string&, std::size_t, std::uint64_t, const std::function<bool(roadsum::ByteView)>&) override {
        return false;
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::size_t piece = data[0] % 64 + 1;
    ++data, --size;

    Pieces smtp(data, size, piece);
    roadsum::LineReader reader(smtp, 1000);
    for (int i = 0; i < 64; ++i) {
        const auto reply = roadsum::read_smtp_reply(reader);
        if (!reply) break;
        if (reply->code < 0 || reply->code > 999) std::abort();
    }

    Pieces whole_session(data, size, piece);
    NoFiles files;
    roadsum::NoSendProgress progress;
    roadsum::SmtpJob job;
    job.recipients = {"a@b.c"};
    job.content = {"a@b.c", "", "s", "b", {}};
    roadsum::run_smtp_session(whole_session, job, files, progress, 1000);

    Pieces http(data, size, piece);
    roadsum::UploadJob upload;
    upload.target = roadsum::http_target("h/p", 80);
    const roadsum::HttpAnswer answer = roadsum::run_http_upload(http, upload, files, progress, 1000);
    if (answer.kind == roadsum::HttpAnswer::Incomplete) std::abort();
    if (answer.location.size() > roadsum::kHttpAnswerBytes) std::abort();
    return 0;
}
