// The send methods on real sockets against peers on 127.0.0.1 that send_peers.py starts: an
// SMTP server with AUTH LOGIN, an HTTP server that parses the upload, a DNS server, and
// servers that answer badly. The script checks on its side what arrived.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <future>
#include <iterator>
#include <random>
#include <sstream>

#include "crash/capture/capture_win32.h"
#include "crash/common/byte_sink.h"
#include "crash/send/desktop_methods_win32.h"
#include "crash/send/http_upload.h"
#include "crash/send/mail_delivery.h"
#include "crash/send/mailto_link.h"
#include "crash/send/send_request_win32.h"
#include "crash/send/sockets_win32.h"
#include "crash/send/system_settings_win32.h"
#include "settings_fakes.h"

namespace roadsum {
namespace {

using Clock = std::chrono::steady_clock;

std::string env(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}
int env_port(const char* name) { return std::atoi(env(name).c_str()); }

// The folder the script shares with us, as a Windows path ending in "\".
std::string peer_dir() { return env("ROADSUM_PEERS_DIR"); }

void write_file(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

long long elapsed_ms(Clock::time_point since) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - since).count();
}

// A report of about `size` bytes whose lines start with dots now and then.
std::string report_text(std::size_t size) {
    std::string text = "date/time          : 2024-03-07, 09:05:04, 42ms\r\n.\r\n.leading dot\r\n..two dots\r\n";
    for (int line = 0; text.size() < size; ++line)
        text += (line % 17 == 0 ? "." : "") + std::string("  00401000 +012 Roadsum.exe RoadsumFrm  ") +
                std::to_string(line) + " TRoadsumFrm.CalculateClick\r\n";
    return text;
}

std::string random_bytes(std::size_t size) {
    std::mt19937 random(27);
    std::string bytes(size, '\0');
    for (char& c : bytes) c = static_cast<char>(random());
    return bytes;
}

class SendPeers : public ::testing::Test {
protected:
    void SetUp() override {
        if (peer_dir().empty()) GTEST_SKIP() << "the peers run from send_peers.py";
        report_ = peer_dir() + "bugreport.txt";
        screenshot_ = peer_dir() + "screenshot.png";
        write_file(report_, report_text(1 << 20));
        write_file(screenshot_, random_bytes(200 * 1024));
        write_file(peer_dir() + "empty.txt", "");
    }

    SmtpJob MailJob(const std::string& subject, std::vector<std::string> recipients) const {
        SmtpJob job;
        job.client_name = "WORKSHOP-PC";
        job.recipients = std::move(recipients);
        job.content.recipients = "reports@example.test";
        job.content.sender = "noxExcept <roadsum@example.test>";
        job.content.subject = subject;
        job.content.body = "please find the bug report attached\r\n.\r\n.x";
        job.content.attachments = {{report_, "bugreport.txt"}, {peer_dir() + "empty.txt", "empty.txt"}, {screenshot_, "screenshot.png"}};
        job.time = {2024, 3, 7, 9, 5, 4, 0x01DA706D5C3A1E00ull};
        // What the server must receive, byte for byte, for the script to compare.
        MemorySink expected;
        NoSendProgress none;
        StreamSendFiles files;
        EXPECT_TRUE(write_mail_message(job.content, job.time, files, expected, none));
        write_file(peer_dir() + "expected-" + subject + ".eml", std::string(expected.bytes().begin(), expected.bytes().end()));
        return job;
    }

    std::string report_, screenshot_;
    WinsockSession winsock_;
    TcpConnector tcp_;
    StreamSendFiles files_;
    NoSendProgress progress_;
};

TEST_F(SendPeers, SmtpServerWithAuthLoginTakesTheMail) {
    SmtpJob job = MailJob("smtp-auth", {"reports@example.test", "refused@example.test"});
    job.account = "roadsum";
    job.password = "secret";
    const auto start = Clock::now();
    EXPECT_TRUE(send_through_server(tcp_, "127.0.0.1", env_port("ROADSUM_SMTP_PORT"), job, files_, progress_));
    std::printf("[ measure ] SMTP, 1 MB report + 200 KB screenshot: %lld ms\n", elapsed_ms(start));
    SmtpJob wrong = MailJob("smtp-wrong-password", {"reports@example.test"});
    wrong.account = "roadsum";
    wrong.password = "guess";
    EXPECT_FALSE(send_through_server(tcp_, "127.0.0.1", env_port("ROADSUM_SMTP_PORT"), wrong, files_, progress_));
}

TEST_F(SendPeers, BadSmtpServersFailWithinTheTimeOut) {
    std::istringstream list(env("ROADSUM_BAD_SMTP_PORTS"));  // "name:port name:port ..."
    std::vector<std::pair<std::string, std::future<bool>>> runs;
    const auto start = Clock::now();
    for (std::string item; list >> item;) {
        const std::string name = item.substr(0, item.find(':'));
        const int port = std::atoi(item.substr(item.find(':') + 1).c_str());
        runs.emplace_back(name, std::async(std::launch::async, [this, port, name] {
            SmtpJob job = MailJob("bad-" + name, {"reports@example.test"});
            NoSendProgress none;
            StreamSendFiles files;
            return send_through_server(tcp_, "127.0.0.1", port, job, files, none);
        }));
    }
    ASSERT_GE(runs.size(), 4u);
    for (auto& [name, sent] : runs) EXPECT_FALSE(sent.get()) << name;
    // Each waits seven seconds at most a line; they run side by side.
    EXPECT_LT(elapsed_ms(start), 20000);
    // Nobody listens on a closed port: no connection at once.
    EXPECT_FALSE(TcpConnection::Connect("127.0.0.1", env_port("ROADSUM_CLOSED_PORT"), 7000));
}

UploadJob upload_job(const std::string& path, const std::string& report, const std::string& screenshot,
                     const std::string& dir) {
    UploadJob job;
    job.target = http_target("http://127.0.0.1:" + env("ROADSUM_HTTP_PORT") + path, 80);
    job.sender = "noxExcept <roadsum@example.test>";
    job.account = "roadsum";
    job.password = "secret";
    job.fields = {{"MailSubj", "bug report"}, {"MailAddr", "reports@example.test"}, {"Evil\r\nX-Injected: 1", "x"}};
    job.files = {{report, "bugreport.txt", "BugReport"}, {dir + "empty.txt", "empty.txt", "Empty"},
                 {screenshot, "screen\"shot.png", "ScreenShot"}};
    return job;
}

TEST_F(SendPeers, HttpUploadAnswers) {
    struct Case {
        const char* path;
        HttpAnswer::Kind kind;
        std::string location;
    };
    const std::string port = env("ROADSUM_HTTP_PORT");
    const Case cases[] = {
        {"/upload/ok", HttpAnswer::Accepted, ""},
        {"/upload/continue", HttpAnswer::Accepted, ""},
        {"/upload/redirect", HttpAnswer::Redirected, "http://127.0.0.1:" + port + "/thanks?id=27"},
        {"/upload/error", HttpAnswer::Refused, ""},
        {"/upload/garbage", HttpAnswer::Refused, ""},
    };
    for (const Case& c : cases) {
        const UploadJob job = upload_job(c.path, report_, screenshot_, peer_dir());
        const auto start = Clock::now();
        const auto connection = tcp_.Connect(job.target.endpoint.host, job.target.endpoint.port, kHttpTimeoutMs);
        ASSERT_TRUE(connection) << c.path;
        const HttpAnswer answer = run_http_upload(*connection, job, files_, progress_);
        if (std::string(c.path) == "/upload/ok")
            std::printf("[ measure ] HTTP, 1 MB report + 200 KB screenshot: %lld ms\n", elapsed_ms(start));
        EXPECT_EQ(answer.kind, c.kind) << c.path;
        EXPECT_EQ(answer.location, c.location) << c.path;
        if (!answer.location.empty()) {
            EXPECT_EQ(redirect_address(answer.location, job.target.endpoint), c.location);
        }
    }
}

// Points the system's DNS setting at the peer for as long as it lives, then puts it back.
class NameServerSetting {
public:
    static constexpr const char* kKey = "System\\CurrentControlSet\\Services\\Tcpip\\Parameters";
    explicit NameServerSetting(const char* servers) {
        RegCreateKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, &key_, nullptr);
        char old[512] = {};
        DWORD size = sizeof old - 1;
        had_ = RegQueryValueExA(key_, "NameServer", nullptr, nullptr, reinterpret_cast<BYTE*>(old), &size) == ERROR_SUCCESS;
        old_ = old;
        RegSetValueExA(key_, "NameServer", 0, REG_SZ, reinterpret_cast<const BYTE*>(servers), lstrlenA(servers) + 1);
    }
    ~NameServerSetting() {
        if (had_) RegSetValueExA(key_, "NameServer", 0, REG_SZ, reinterpret_cast<const BYTE*>(old_.c_str()), static_cast<DWORD>(old_.size() + 1));
        else RegDeleteValueA(key_, "NameServer");
        RegCloseKey(key_);
    }

private:
    HKEY key_ = nullptr;
    bool had_ = false;
    std::string old_;
};

TEST_F(SendPeers, MailExchangersFromTheDnsPeer) {
    NameServerSetting setting("127.0.0.1");
    MxLookupOptions lookup;
    lookup.servers = system_dns_servers();
    ASSERT_EQ(lookup.servers, std::vector<std::string>{"127.0.0.1"});
    UdpDnsTransport dns(env_port("ROADSUM_DNS_PORT"));
    EXPECT_EQ(find_mail_exchanger("a@example.test", dns, lookup), "localhost");
    // No MX for the domain itself: its base domain's.
    EXPECT_EQ(find_mail_exchanger("Joe <a@deep.sub.example.test>", dns, lookup), "localhost");
    EXPECT_FALSE(find_mail_exchanger("a@unknown.test", dns, lookup));

    MxLookupOptions walk;
    walk.roots = {"127.0.0.1"};
    EXPECT_EQ(find_mail_exchanger("a@walk.test", dns, walk), "localhost");

    // A reply with a compression loop is no answer; once the only server has given it, the
    // lookup ends without waiting for the time-out. A server that never answers costs it.
    UdpDnsTransport bad(env_port("ROADSUM_BAD_DNS_PORT"));
    auto start = Clock::now();
    EXPECT_FALSE(find_mail_exchanger("a@loop.test", bad, lookup));
    EXPECT_LT(elapsed_ms(start), 2000);
    UdpDnsTransport silent(env_port("ROADSUM_CLOSED_PORT"));
    start = Clock::now();
    EXPECT_FALSE(find_mail_exchanger("a@example.test", silent, lookup));
    EXPECT_LT(elapsed_ms(start), 2 * kDnsTimeoutMs + 2000);

    // Direct delivery: one recipient's domain has an exchanger, the other's none.
    SmtpJob job = MailJob("direct", {"reports@example.test", "nobody@unknown.test"});
    EXPECT_TRUE(send_to_exchangers(tcp_, dns, lookup, env_port("ROADSUM_SMTP_PORT"), job, files_, progress_));
}

TEST_F(SendPeers, MailtoStartsTheRegisteredProgram) {
    const std::string recorded = peer_dir() + "mailto-command.txt";
    const std::string command = "\"" + env("ROADSUM_RECORDER") + "\" \"" + recorded + "\" %1";
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CLASSES_ROOT, "mailto\\shell\\open\\command", 0, nullptr, 0, KEY_READ | KEY_WRITE,
                              nullptr, &key, nullptr), ERROR_SUCCESS);
    char old[2048] = {};
    DWORD size = sizeof old - 1;
    const bool had = RegQueryValueExA(key, nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(old), &size) == ERROR_SUCCESS;
    RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()), static_cast<DWORD>(command.size() + 1));
    EXPECT_EQ(registered_mailto_command(), command);
    DeleteFileA(recorded.c_str());
    const std::string report = "line 1\r\n100% & more";
    EXPECT_TRUE(open_mailto("reports@example.test", "bug report", report));
    std::string line;
    for (int wait = 0; wait < 100 && line.empty(); ++wait) {
        Sleep(100);
        std::ifstream file(recorded, std::ios::binary);
        line.assign(std::istreambuf_iterator<char>(file), {});
    }
    if (had) RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(old), static_cast<DWORD>(lstrlenA(old) + 1));
    else RegDeleteValueA(key, nullptr);
    RegCloseKey(key);
    EXPECT_TRUE(line.ends_with(" " + mailto_link("reports@example.test", "bug report", report))) << line;
}

// A whole request in its background thread: the upload is refused, so the mail goes through
// the SMTP server, with the report written by the report room's writer.
TEST_F(SendPeers, RequestInTheBackgroundFallsBackToTheSmtpServer) {
    testing::SettingsWorld world;
    world.give(testing::kExe, "UploadViaHttp = true\nHttpServer = \"127.0.0.1/request/error\"\nHttpPort = " +
                                  env("ROADSUM_HTTP_PORT") + "\nMailAsSmtpClient = true\nSmtpServer = \"127.0.0.1\"\n"
                                  "SmtpPort = " + env("ROADSUM_SMTP_PORT") + "\nMailAddr = \"reports@example.test\"\n"
                                  "MailSubj = \"request-%exceptClass%\"\nMailViaMapi = false\nMailViaMailto = false\n"
                                  "AttachBugRep = true\nAttachBugRepFile = false\nBugRepSendAs = \"bugreport.txt\"\n"
                                  "ScrShotDepth = 204800\nScrShotSendAs = \"shot.png\"");
    SendRequest request;
    request.settings = world.context.SettingsOf(testing::kExe);
    request.report = {"EConvertError", "'x' is not a valid integer value", "date/time : now\r\n"};
    request.report_file = peer_dir() + "never-saved.txt";
    request.screenshot = std::make_shared<TINVBitmap>(PixelImage(64, 48, 0x00336699));
    request.background = true;
    request.hidden = true;
    request.switches.online_check = false;
    std::string written_to;
    request.with.write_report = [&](const std::string& path, bool append) {
        written_to = path;
        write_file(path, append ? "" : "date/time : now\r\n");
        return true;
    };
    HANDLE thread = nullptr;
    request.thread = &thread;
    EXPECT_EQ(send_report(request), SendResult::Sent);  // at once
    ASSERT_TRUE(thread);
    ASSERT_EQ(WaitForSingleObject(thread, 30000), WAIT_OBJECT_0);
    DWORD code = 0;
    GetExitCodeThread(thread, &code);
    CloseHandle(thread);
    EXPECT_EQ(code, static_cast<DWORD>(SendResult::Sent));
    EXPECT_TRUE(written_to.ends_with("\\never-saved.txt")) << written_to;
    // Sent: the screenshot's temporary file is gone, the report's copy is still in the
    // reporter's folder (the next handling clears it).
    EXPECT_EQ(GetFileAttributesA((ReporterTempFolder() + "screenShot.png").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_NE(GetFileAttributesA((ReporterTempFolder() + "never-saved.txt").c_str()), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
}  // namespace roadsum
