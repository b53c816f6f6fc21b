#include "crash/send/http_upload.h"

#include <gtest/gtest.h>

#include "crash/send/mail_message.h"
#include "send_fakes.h"

namespace roadsum {
namespace {

using testing::MemoryFiles;
using testing::RecordingProgress;
using testing::ScriptedPeer;

TEST(HttpTarget, ServerAndProxyTexts) {
    struct Case {
        const char* server;
        std::string host;
        int port;
        std::string path;
    };
    const Case cases[] = {
        {"http://bugs.example.com/upload.php", "bugs.example.com", 80, "/upload.php"},
        {"bugs.example.com", "bugs.example.com", 80, "/"},
        {"https://bugs.example.com:8080/a/b?x=1", "bugs.example.com", 8080, "/a/b?x=1"},
        {"bugs.example.com:99999/x", "bugs.example.com:99999", 80, "/x"},
    };
    for (const Case& c : cases) {
        const HttpTarget t = http_target(c.server, 80);
        EXPECT_EQ(t.endpoint.host, c.host) << c.server;
        EXPECT_EQ(t.endpoint.port, c.port) << c.server;
        EXPECT_EQ(t.path, c.path) << c.server;
    }
    const std::pair<const char*, std::optional<std::pair<std::string, int>>> proxies[] = {
        {"proxy.lan:3128", std::pair<std::string, int>{"proxy.lan", 3128}},
        {"http://proxy.lan", std::pair<std::string, int>{"proxy.lan", 81}},
        {"ftp=f.lan:21 http=web.lan:8080 https=s.lan:443", std::pair<std::string, int>{"web.lan", 8080}},
        {"ftp=f.lan:21 https=s.lan:443", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& [text, expected] : proxies) {
        const auto proxy = http_proxy(text, 81);
        ASSERT_EQ(proxy.has_value(), expected.has_value()) << text;
        if (proxy) {
            EXPECT_EQ(std::pair(proxy->host, proxy->port), *expected) << text;
        }
    }
}

UploadJob upload_job() {
    UploadJob job;
    job.target = http_target("http://bugs.example.com/upload.php", 80);
    job.sender = "noxExcept <from@x.org>";
    job.account = "user";
    job.password = "pw";
    job.fields = {{"MailSubj\r\nX-Evil: 1", "bug report"}, {"Contact", "Jo \"Q\""}};
    job.files = {{"C:\\tmp\\bugreport.txt", "bugreport.txt", "BugReport"},
                 {"C:\\tmp\\empty.png", "screenshot.png", "ScreenShot"},
                 {"C:\\tmp\\big.bin", "big\".bin", "Big"}};
    return job;
}

TEST(HttpUpload, RequestBytesAndContentLength) {
    MemoryFiles files;
    files.files["C:\\tmp\\bugreport.txt"] = "report\r\n.\r\n";
    files.files["C:\\tmp\\empty.png"] = "";
    files.files["C:\\tmp\\big.bin"] = std::string(2500, 'z');
    ScriptedPeer peer({"HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n"});
    RecordingProgress progress;
    const HttpAnswer answer = run_http_upload(peer, upload_job(), files, progress);
    EXPECT_EQ(answer.kind, HttpAnswer::Accepted);

    const std::string b(kMimeBoundary);
    const std::string body =
        "--" + b + "\r\nContent-Disposition: form-data; name=\"MailSubj  X-Evil: 1\"\r\n\r\nbug report"
        "\r\n--" + b + "\r\nContent-Disposition: form-data; name=\"Contact\"\r\n\r\nJo \"Q\""
        "\r\n--" + b + "\r\nContent-Disposition: form-data; name=\"BugReport\"; filename=\"bugreport.txt\"\r\n"
        "Content-Type: application/octet-stream\r\n\r\nreport\r\n.\r\n"
        "\r\n--" + b + "\r\nContent-Disposition: form-data; name=\"Big\"; filename=\"big'.bin\"\r\n"
        "Content-Type: application/octet-stream\r\n\r\n" + std::string(2500, 'z') +
        "\r\n--" + b + "--\r\n";
    EXPECT_EQ(peer.sent,
              "POST /upload.php HTTP/1.1\r\n"
              "Host: bugs.example.com:80\r\n"
              "Connection: close\r\n"
              "Pragma: no-cache\r\n"
              "User-Agent: noxExcept/3.0\r\n"
              "Content-Type: multipart/form-data; boundary=" + b + "\r\n"
              "Content-Length: " + std::to_string(body.size()) + "\r\n"
              "From: <from@x.org>\r\n"
              "Authorization: Basic dXNlcjpwdw==\r\n"
              "\r\n" + body);
    EXPECT_EQ(files.pieces, (std::vector<std::size_t>{1024, 1024}));
    EXPECT_EQ(progress.areas, (std::vector<SendArea>{SendArea::Fields, SendArea::SendAttachments, SendArea::Finalize}));
}

TEST(HttpUpload, ContentLengthWithoutAnyPartAndThroughAProxy) {
    MemoryFiles files;
    UploadJob job;
    job.target = http_target("bugs.example.com:8080/in box", 80);
    job.via_proxy = true;
    ScriptedPeer peer({"HTTP/1.0 200 OK\r\n\r\n"});
    RecordingProgress progress;
    run_http_upload(peer, job, files, progress);
    const std::string b(kMimeBoundary);
    EXPECT_EQ(peer.sent, "POST http://bugs.example.com:8080/in%20box HTTP/1.1\r\nHost: bugs.example.com:8080\r\n"
                         "Connection: close\r\nPragma: no-cache\r\nUser-Agent: noxExcept/3.0\r\n"
                         "Content-Type: multipart/form-data; boundary=" + b + "\r\nContent-Length: " +
                         std::to_string(b.size() + 6) + "\r\n\r\n--" + b + "--\r\n");
}

TEST(HttpAnswers, StatusHandling) {
    struct Case {
        const char* name;
        std::vector<std::string> chunks;
        ReceiveStatus end;
        HttpAnswer::Kind kind;
        std::string location;
    };
    const Case cases[] = {
        {"200", {"HTTP/1.1 200 OK\r\n"}, ReceiveStatus::TimedOut, HttpAnswer::Accepted, ""},
        {"100 then 200 in pieces", {"HTTP/1.1 100 Continue\r\n", "X: y\r\n\r\nHTTP/1.1 2", "00 OK\r\n\r\n"}, ReceiveStatus::Closed, HttpAnswer::Accepted, ""},
        {"302 with Location", {"HTTP/1.1 302 Found\r\nServer: x\r\nlocation:  http://bugs.example.com/thanks?id=7 \r\n\r\n"}, ReceiveStatus::Closed, HttpAnswer::Redirected, "http://bugs.example.com/thanks?id=7"},
        {"302 with Location after a wait", {"HTTP/1.1 302 Found\r\n", "Location: /t\r\n\r\n"}, ReceiveStatus::Closed, HttpAnswer::Redirected, "/t"},
        {"302 without Location", {"HTTP/1.1 302 Found\r\n\r\n"}, ReceiveStatus::TimedOut, HttpAnswer::Redirected, ""},
        {"500", {"HTTP/1.1 500 Internal Server Error\r\n\r\n"}, ReceiveStatus::Closed, HttpAnswer::Refused, ""},
        {"404", {"HTTP/1.1 404 Not Found\r\n\r\n"}, ReceiveStatus::Closed, HttpAnswer::Refused, ""},
        {"not HTTP", {"SSH-2.0-OpenSSH\r\n"}, ReceiveStatus::Closed, HttpAnswer::Refused, ""},
        {"status line cut short", {"HTTP/1.1 20"}, ReceiveStatus::Closed, HttpAnswer::Refused, ""},
        {"silence", {}, ReceiveStatus::TimedOut, HttpAnswer::Refused, ""},
        {"100 and nothing after", {"HTTP/1.1 100 Continue\r\n\r\n"}, ReceiveStatus::TimedOut, HttpAnswer::Refused, ""},
        {"endless 100 headers", {"HTTP/1.1 100 Continue\r\n" + std::string(20000, 'h')}, ReceiveStatus::TimedOut, HttpAnswer::Refused, ""},
        {"200 with status text lacking", {"HTTP/1.1 200\r\n"}, ReceiveStatus::Closed, HttpAnswer::Accepted, ""},
        {"2000 is no 200", {"HTTP/1.1 2000 OK\r\n"}, ReceiveStatus::Closed, HttpAnswer::Refused, ""},
    };
    for (const Case& c : cases) {
        MemoryFiles files;
        ScriptedPeer peer(c.chunks, c.end);
        RecordingProgress progress;
        UploadJob job;
        job.target = http_target("h/p", 80);
        const HttpAnswer answer = run_http_upload(peer, job, files, progress, 7000);
        EXPECT_EQ(answer.kind, c.kind) << c.name;
        EXPECT_EQ(answer.location, c.location) << c.name;
        EXPECT_LE(peer.timeouts.size(), 6u) << c.name;
    }
}

TEST(HttpAnswers, OnlyWebAddressesAreOpened) {
    const HttpEndpoint server{"bugs.example.com", 8080};
    const std::pair<const char*, std::optional<std::string>> cases[] = {
        {"http://bugs.example.com/thanks?id=7", "http://bugs.example.com/thanks?id=7"},
        {" HTTPS://x.org/a ", "HTTPS://x.org/a"},
        {"/thanks", "http://bugs.example.com:8080/thanks"},
        {"file:///C:/Windows/system32/calc.exe", std::nullopt},
        {"calc.exe", std::nullopt},
        {"//evil.example/x", std::nullopt},
        {"http://x.org/a b", std::nullopt},
        {"http://x.org/\"quoted", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& [location, address] : cases) EXPECT_EQ(redirect_address(location, server), address) << location;
}

}  // namespace
}  // namespace roadsum
