// A report object sent through the capture's send action and AutoSend, to the SMTP peer of
// send_peers.py, which compares each report file copy that arrives with the one written here
// as expected; and printing and MAPI refused while the process is blocked.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <mutex>
#include <thread>

#include "crash/capture/capture_win32.h"
#include "crash/picture/bitmap.h"
#include "crash/send/report_sending_win32.h"
#include "capture_fakes.h"

namespace roadsum {
namespace {

constexpr const char* kCaption = "Roadsum send test";

std::string env(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}
std::string peer_dir() { return env("ROADSUM_PEERS_DIR"); }

void write_file(const std::string& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }
bool exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Closes every message box with the test's caption that comes up while it lives, and keeps
// their texts.
class MessageBoxWatch {
public:
    MessageBoxWatch() : thread_([this] { Run(); }) {}
    ~MessageBoxWatch() {
        stop_ = true;
        thread_.join();
    }
    std::vector<std::string> Seen() {
        std::lock_guard lock(lock_);
        return seen_;
    }

private:
    void Run() {
        while (!stop_) {
            if (HWND box = FindWindowA("#32770", kCaption)) {
                char text[512] = {};
                GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
                {
                    std::lock_guard lock(lock_);
                    seen_.push_back(text);
                }
                SendMessageA(box, WM_COMMAND, IDOK, 0);
            }
            Sleep(20);
        }
    }
    std::atomic<bool> stop_{false};
    std::mutex lock_;
    std::vector<std::string> seen_;
    std::thread thread_;
};

// The report every case sends; its checksums make an identical one in the file a duplicate.
Ref<TCrashException> complete_report(testing::CaptureWorld& world) {
    const Ref<TCrashException> report = world.report(ekNormal, testing::exception_of({"EConvertError", "Exception"}));
    const Ref<INXFields> header = report->Fields();
    const std::pair<const char*, const char*> fields[] = {
        {"date/time", "2026-12-08, 17:00:00, 5ms"}, {"executable", "Roadsum.exe"}, {"version", "1.0"},
        {"callstack crc", "$11111111, $22222222, $33333333"}, {"exception number", "1"},
        {"exception class", "EConvertError"}, {"exception message", "'x' is not a valid integer value"}};
    for (const auto& [label, content] : fields) header->Add(label, content);
    report->Sections()->Add("main thread ($1A4)", "00401234 +012 Roadsum.exe RoadsumFrm 41 TRoadsumFrm.CalculateClick");
    report->MarkComplete();
    return report;
}

// The same report as the file holds it after a repetition was merged into it.
const std::string kMergedReport =
    "date/time        : 2026-12-08, 17:00:00, 5ms\r\n"
    "executable       : Roadsum.exe\r\n"
    "version          : 1.0\r\n"
    "callstack crc    : $11111111, $22222222, $33333333\r\n"
    "count            : 2\r\n"
    "exception number : 1\r\n"
    "exception class  : EConvertError\r\n"
    "exception message: 'x' is not a valid integer value\r\n"
    "\r\n"
    "main thread ($1A4):\r\n"
    "00401234 +012 Roadsum.exe RoadsumFrm 41 TRoadsumFrm.CalculateClick\r\n\r\n";

// A path as a quoted text of the settings.
std::string quoted(const std::string& path) {
    std::string out = "\"";
    for (const char c : path) out += c == '\\' ? std::string("\\\\") : std::string(1, c);
    return out + "\"";
}

// The settings of a send to the SMTP peer by the SMTP server method alone, with the lines of
// `extra` in place of theirs.
std::string settings_for(const std::string& subject, int smtp_port, const std::string& extra) {
    const std::string defaults =
        "MailAsSmtpClient = true\nSmtpServer = \"127.0.0.1\"\nSmtpPort = " + std::to_string(smtp_port) +
        "\nMailAddr = \"reports@example.test\"\nMailSubj = \"" + subject +
        "\"\nUploadViaHttp = false\nMailAsSmtpServer = false\nMailViaMapi = false\nMailViaMailto = false\n"
        "ScrShotDepth = 0\nAddAttachs = \"\"\nBugRepZip = \"\"\nSendInBackgr = false\nSendAssis = \"\"\n"
        "AttachBugRep = true\nAttachBugRepFile = true\nAppendBugReps = true\nNoDupExcepts = true\n"
        "DupExceptDef = 1\nBugRepFileSize = 0\nTitleBar = \"" + std::string(kCaption) + "\"\n"
        "SendFailMsg = \"Sorry, sending the bug report didn't work.\"\n";
    std::string text = extra;
    std::size_t start = 0;
    for (std::size_t end; (end = defaults.find('\n', start)) != std::string::npos; start = end + 1) {
        const std::string line = defaults.substr(start, end - start);
        if (extra.find(line.substr(0, line.find(' ')) + " =") == std::string::npos) text += line + "\n";
    }
    return text;
}

class ReportSending : public ::testing::Test {
protected:
    static void SetUpTestSuite() { InstallSending({.online_check = false}); }
    void SetUp() override {
        if (peer_dir().empty()) GTEST_SKIP() << "the peers run from send_peers.py";
    }
};

TEST_F(ReportSending, TheSendActionAttachesTheReportFileWithTheReportMergedIn) {
    enum Earlier { kNone, kIdentical, kSavedItself };
    struct Case {
        const char* subject;
        Earlier in_file;   // what the report file holds before the send
        bool server_up;
        const char* extra;
        bool sent;
        bool file_kept;
        std::string attached;  // what the peer must receive; written for send_peers.py to compare
    };
    testing::CaptureWorld text_world;
    const std::string report_text = complete_report(text_world)->ReportText() + "\r\n\r\n";
    const Case cases[] = {
        {"report-merged", kIdentical, true, "DelBugRepFile = true\n", true, false, kMergedReport},
        {"report-saved", kSavedItself, true, "DelBugRepFile = true\n", true, false, report_text},
        {"report-kept", kIdentical, true, "DelBugRepFile = false\n", true, true, kMergedReport},
        {"report-alone", kIdentical, true, "AttachBugRepFile = false\nDelBugRepFile = true\n", true, true, report_text},
        {"report-failed", kIdentical, false, "DelBugRepFile = true\n", false, true, ""},
    };
    MessageBoxWatch boxes;
    for (const Case& c : cases) {
        const std::string file = peer_dir() + c.subject + ".txt";
        const int port = std::atoi(env(c.server_up ? "ROADSUM_SMTP_PORT" : "ROADSUM_CLOSED_PORT").c_str());
        testing::CaptureWorld world(settings_for(c.subject, port, std::string(c.extra) + "BugRepFile = " + quoted(file) + "\n"));
        const Ref<TCrashException> report = complete_report(world);
        if (c.in_file != kNone) write_file(file, report_text);
        if (c.in_file == kSavedItself) report->MarkSaved();
        // The screenshot page took the screenshot off.
        report->SetScreenshot(std::make_shared<TINVBitmap>(PixelImage(64, 48, 0x00336699)));
        report->SetAppendScreenshot(false);
        if (!c.attached.empty()) write_file(peer_dir() + "expected-attachment-" + c.subject + ".txt", c.attached);

        EXPECT_EQ(RunReportAction(*report, acSend, nullptr), c.sent) << c.subject;
        EXPECT_EQ(report->Sent(), c.sent) << c.subject;
        EXPECT_EQ(exists(file), c.file_kept) << c.subject;
    }
    // Only the user's send that failed says so.
    EXPECT_EQ(boxes.Seen(), std::vector<std::string>{"Sorry, sending the bug report didn't work."});
}

TEST_F(ReportSending, AutoSendGoesHiddenInTheBackgroundAndNeverSaysItFailed) {
    const int smtp_port = std::atoi(env("ROADSUM_SMTP_PORT").c_str());
    const int closed_port = std::atoi(env("ROADSUM_CLOSED_PORT").c_str());
    MessageBoxWatch boxes;
    {
        // The report file is not there: the report goes alone, with its screenshot.
        testing::CaptureWorld world(settings_for("auto-send", smtp_port,
                                                 "BugRepFile = " + quoted(peer_dir() + "auto-send.txt") +
                                                     "\nScrShotDepth = 204800\nScrShotSendAs = \"shot.png\"\n"));
        const Ref<TCrashException> report = complete_report(world);
        report->SetScreenshot(std::make_shared<TINVBitmap>(PixelImage(64, 48, 0x00336699)));
        write_file(peer_dir() + "expected-attachment-auto-send.txt", report->ReportText() + "\r\n\r\n");
        send_report_automatically(*report);
        ASSERT_TRUE(report->WaitSendsDone(30000));
        EXPECT_TRUE(report->Sent());
    }
    {
        // Nothing goes: without recipients neither the SMTP server nor a silent MAPI mail, and
        // mailto, which would open a window, is not for a hidden send.
        testing::CaptureWorld world(settings_for("auto-send-failed", closed_port,
                                                 "MailViaMapi = true\nMailViaMailto = true\nMailAddr = \"\"\n"
                                                 "BugRepFile = " + quoted(peer_dir() + "auto-send-failed.txt") + "\n"));
        const Ref<TCrashException> report = complete_report(world);
        send_report_automatically(*report);
        ASSERT_TRUE(report->WaitSendsDone(30000));
        EXPECT_FALSE(report->Sent());
    }
    Sleep(300);  // a message box would be up by now
    EXPECT_EQ(boxes.Seen(), std::vector<std::string>{});
}

// Held by this thread, the process environment lock will not come free while it waits.
class PebLockHeld {
public:
    PebLockHeld() { call("RtlAcquirePebLock"); }
    ~PebLockHeld() { call("RtlReleasePebLock"); }

private:
    static void call(const char* name) {
        using Function = void(WINAPI*)();
        reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), name)))();
    }
};

TEST_F(ReportSending, PrintingAndMapiWaitWhileTheProcessIsBlocked) {
    testing::CaptureWorld world(settings_for("blocked", 1, "MailAsSmtpClient = false\nMailViaMapi = true\n"));
    const Ref<TCrashException> report = complete_report(world);
    EXPECT_FALSE(ProcessBlockedNow());
    {
        // Nothing here may show a window: another thread that touched the lock would wait.
        PebLockHeld blocked;
        ASSERT_TRUE(ProcessBlockedNow());
        EXPECT_FALSE(print_report_of(*report, nullptr)) << "no print dialog";
        EXPECT_TRUE(report_send_request(*report, nullptr, false).switches.process_blocked);
        // MAPI is the only method and would send silently to the recipient: left out, and no
        // background thread is started either.
        send_report_automatically(*report);
        EXPECT_TRUE(report->WaitSendsDone(0)) << "sent in this thread";
        EXPECT_FALSE(report->Sent());
    }
}

}  // namespace
}  // namespace roadsum
