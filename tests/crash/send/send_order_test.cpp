#include "crash/send/send_order.h"

#include <gtest/gtest.h>

#include "crash/send/attachment_preparation.h"
#include "crash/send/progress_alert_windows.h"
#include "settings_fakes.h"

namespace roadsum {
namespace {

using testing::kExe;
using testing::SettingsWorld;

// Each method answers as told and leaves its name in the log.
class ScriptedMethods final : public SendMethods {
public:
    bool online = true, upload = false, exchangers = false, server = false, mailto = false;
    SendResult mapi = SendResult::Failed;
    std::string log;

    bool Online(bool hidden) override { return note(hidden ? "online(hidden)" : "online", online); }
    bool Upload() override { return note("http", upload); }
    bool SendToExchangers() override { return note("mx", exchangers); }
    bool SendThroughServer() override { return note("smtp", server); }
    SendResult SendByMapi() override {
        note("mapi", true);
        return mapi;
    }
    bool OpenMailto() override { return note("mailto", mailto); }
    void ShowFailure(const std::string& message) override { note("fail:" + message, true); }

private:
    bool note(const std::string& what, bool result) {
        log += (log.empty() ? "" : " ") + what;
        return result;
    }
};

const std::string kAllMethods =
    "UploadViaHttp = true\nHttpServer = \"bugs.example.com/in\"\nMailAsSmtpServer = true\nMailAsSmtpClient = true\n"
    "MailAddr = \"bugs@example.com\"\nSmtpServer = \"mail.example.com\"\nMailViaMapi = true\nMailViaMailto = true\n"
    "SendFailMsg = \"no luck\"\n";

TEST(SendOrder, EachMethodFailingInTurn) {
    struct Case {
        const char* name;
        std::string settings;
        bool hidden;
        void (*script)(ScriptedMethods&);
        std::string log;
        SendResult result;
        SendSwitches switches = {};
    };
    const Case cases[] = {
        {"upload goes", kAllMethods, false, [](ScriptedMethods& m) { m.upload = true; }, "online http", SendResult::Sent},
        {"upload fails, direct delivery goes", kAllMethods, false, [](ScriptedMethods& m) { m.exchangers = true; },
         "online http mx", SendResult::Sent},
        {"then the SMTP server", kAllMethods, false, [](ScriptedMethods& m) { m.server = true; },
         "online http mx smtp", SendResult::Sent},
        {"then MAPI", kAllMethods, false, [](ScriptedMethods& m) { m.mapi = SendResult::Sent; },
         "online http mx smtp mapi", SendResult::Sent},
        {"MAPI cancelled: no mailto, no message", kAllMethods, false, [](ScriptedMethods& m) { m.mapi = SendResult::Cancelled; },
         "online http mx smtp mapi", SendResult::Cancelled},
        {"then mailto", kAllMethods, false, [](ScriptedMethods& m) { m.mailto = true; },
         "online http mx smtp mapi mailto", SendResult::Sent},
        {"all fail", kAllMethods, false, [](ScriptedMethods&) {}, "online http mx smtp mapi mailto fail:no luck",
         SendResult::Failed},
        {"hidden: no mail client window, no message", kAllMethods, true, [](ScriptedMethods&) {},
         "online(hidden) http mx smtp mapi", SendResult::Failed},
        {"offline: only the desktop's methods", kAllMethods, false, [](ScriptedMethods& m) { m.online = false; },
         "online mapi mailto fail:no luck", SendResult::Failed},
        {"no server, no recipients: nothing on the sockets",
         "UploadViaHttp = true\nMailAsSmtpServer = true\nMailAsSmtpClient = true\nMailViaMapi = false\nMailViaMailto = false\n"
         "SendFailMsg = \"x\"",
         false, [](ScriptedMethods&) {}, "fail:x", SendResult::Failed},
        {"hidden without recipients: not even MAPI, which could only ask",
         "MailViaMapi = true\nMailViaMailto = true", true, [](ScriptedMethods& m) { m.mapi = SendResult::Sent; }, "",
         SendResult::Failed},
        {"shown without recipients: MAPI lets the user fill them in",
         "MailViaMapi = true\nMailViaMailto = false", false, [](ScriptedMethods& m) { m.mapi = SendResult::Sent; }, "mapi",
         SendResult::Sent},
        {"SMTP client without a server", "MailAsSmtpClient = true\nMailAddr = \"a@b.c\"\nMailViaMapi = false\nMailViaMailto = false",
         true, [](ScriptedMethods&) {}, "", SendResult::Failed},
        {"blocked: no MAPI, mailto still", kAllMethods, false, [](ScriptedMethods& m) { m.mapi = SendResult::Sent; },
         "online http mx smtp mailto fail:no luck", SendResult::Failed, {.process_blocked = true}},
        {"blocked and hidden: the sockets alone", kAllMethods, true, [](ScriptedMethods& m) { m.mapi = SendResult::Sent; },
         "online(hidden) http mx smtp", SendResult::Failed, {.process_blocked = true}},
    };
    for (const Case& c : cases) {
        SettingsWorld world;
        world.give(kExe, c.settings);
        const auto settings = world.context.SettingsOf(kExe);
        ScriptedMethods methods;
        c.script(methods);
        EXPECT_EQ(run_send_methods(*settings, c.hidden, methods, c.switches), c.result) << c.name;
        EXPECT_EQ(methods.log, c.log) << c.name;
    }
    // The online check switched off: the sockets are tried without asking.
    SettingsWorld world;
    world.give(kExe, kAllMethods);
    ScriptedMethods methods;
    methods.online = false;
    methods.upload = true;
    EXPECT_EQ(run_send_methods(*world.context.SettingsOf(kExe), false, methods, {.online_check = false}), SendResult::Sent);
    EXPECT_EQ(methods.log, "http");
}

// Files that exist, and what was copied, written and packed.
class FakeWorkspace final : public AttachmentWorkspace {
public:
    std::vector<std::string> existing = {"C:\\App\\bugreport.txt", "C:\\data\\a.log", "C:\\data\\b.log"};
    bool copy_works = true;
    std::string log;

    std::string TemporaryFolder() override { return "C:\\Temp\\nox\\"; }
    bool Exists(const std::string& path) override {
        return std::find(existing.begin(), existing.end(), path) != existing.end();
    }
    bool Copy(const std::string& from, const std::string& to) override {
        log += "copy " + from + " " + to + "; ";
        return copy_works && Exists(from) && made(to);
    }
    bool WriteReport(const std::string& path, bool append) override {
        log += (append ? "append " : "write ") + path + "; ";
        return made(path);
    }
    bool WriteScreenshot(const std::string& path, int mode) override {
        log += "png " + path + " mode " + std::to_string(mode) + "; ";
        return made(path);
    }
    bool Zip(const std::string& archive, const std::vector<std::string>& files, const std::vector<std::string>& names) override {
        log += "zip " + archive;
        for (std::size_t i = 0; i < files.size(); ++i) log += " " + files[i] + "=" + names[i];
        log += "; ";
        return made(archive);
    }

private:
    bool made(const std::string& path) {
        existing.push_back(path);
        return true;
    }
};

TEST(AttachmentPreparation, ReportScreenshotExtrasAndArchives) {
    SettingsWorld world;
    world.give(kExe,
               "AttachBugRep = true\nAttachBugRepFile = true\nDelBugRepFile = true\nBugRepSendAs = \"report.txt\"\n"
               "BugRepZip = \"Report.zip\"\nScrShotDepth = 102400\nScrShotSendAs = \"shot.png\"\n"
               "AddAttachs = \"C:\\\\data\\\\a.log>a.log>report.ZIP>A|C:\\\\data\\\\missing.log>m.log>>M|"
               "C:\\\\data\\\\b.log>b.log>>B\"");
    const auto settings = world.context.SettingsOf(kExe);
    FakeWorkspace workspace;
    const PreparedAttachments prepared =
        prepare_attachments(*settings, {"C:\\App\\bugreport.txt", false, true}, workspace);
    EXPECT_EQ(workspace.log,
              "copy C:\\App\\bugreport.txt C:\\Temp\\nox\\bugreport.txt; append C:\\Temp\\nox\\bugreport.txt; "
              "png C:\\Temp\\nox\\screenShot.png mode 3; "
              "zip C:\\Temp\\nox\\Report.zip C:\\Temp\\nox\\bugreport.txt=report.txt C:\\data\\a.log=a.log; ");
    EXPECT_EQ(prepared.items, (std::vector<PreparedAttachment>{{"C:\\Temp\\nox\\Report.zip", "Report.zip", "Report.zip"},
                                                               {"C:\\Temp\\nox\\screenShot.png", "shot.png", "ScreenShot"},
                                                               {"C:\\data\\b.log", "b.log", "B"}}));
    EXPECT_EQ(prepared.screenshot_file, "C:\\Temp\\nox\\screenShot.png");
    EXPECT_TRUE(prepared.delete_report_file);

    // Without the report file (or when copying fails) the current report goes alone, and the
    // report file stays.
    FakeWorkspace failing;
    failing.copy_works = false;
    const PreparedAttachments alone = prepare_attachments(*settings, {"C:\\App\\bugreport.txt", true, false}, failing);
    EXPECT_EQ(failing.log.substr(0, failing.log.find("zip")),
              "copy C:\\App\\bugreport.txt C:\\Temp\\nox\\bugreport.txt; write C:\\Temp\\nox\\bugreport.txt; ");
    EXPECT_FALSE(alone.delete_report_file);
    EXPECT_TRUE(alone.screenshot_file.empty());

    const std::pair<int, int> modes[] = {{4, 1}, {51200, 2}, {102400, 3}, {204800, 4}, {307200, 5}, {8, 0}, {24, 0}, {0, 0}};
    for (const auto& [depth, mode] : modes) EXPECT_EQ(png_mode_for_depth(depth), mode) << depth;
}

TEST(SendOrder, ProgressAreasOfTheMethodsThatRun) {
    SettingsWorld world;
    world.give(kExe, "MailAsSmtpServer = true\nPrepAttMsg = \"P\"\nMxLookMsg = \"M\"\nConnMsg = \"C\"\nAuthMsg = \"A\"\n"
                     "SendMailMsg = \"S\"\nFieldMsg = \"F\"\nSendAttMsg = \"T\"\nSendFinalMsg = \"E\"");
    const auto settings = world.context.SettingsOf(kExe);
    auto texts = [](const SendAreaTexts& areas) {
        std::string out;
        for (const auto& [area, text] : areas) out += text;
        return out;
    };
    EXPECT_EQ(texts(send_progress_areas(*settings, true)), "PMCASTE");
    settings->Set(keys::MailAsSmtpServer, false);
    settings->Set(keys::UploadViaHttp, true);
    EXPECT_EQ(texts(send_progress_areas(*settings, false)), "PCFE");
}

TEST(SendOrder, ProgressWindowFollowsTheAreas) {
    std::shared_ptr<IProgressAlert> alert;
    ProgressAlertWindows windows(
        [&](const std::string& caption) { return alert = NewProgressAlert(caption); }, 0);
    auto progress = windows.Open("Sending bug report...", {{SendArea::PrepareAttachments, "P"},
                                                           {SendArea::Connect, "C"},
                                                           {SendArea::SendAttachments, "T"},
                                                           {SendArea::Finalize, "E"}});
    ASSERT_TRUE(progress && alert);
    EXPECT_EQ(alert->Title(), "Sending bug report...");
    // Four areas of equal weight: the bar shows where the send stands among them.
    struct Step {
        std::optional<SendArea> area;
        int position;
        int current, overall;
    };
    const Step script[] = {
        {SendArea::Connect, 500, 1, 375},
        {SendArea::MxLookup, 500, 1, 375},  // not shown by this send: stays where it is
        {SendArea::SendAttachments, 1000, 2, 750},
        {SendArea::Finalize, 0, 3, 750},
        {std::nullopt, 1000, 3, 1000},
    };
    for (const Step& step : script) {
        if (step.area) progress->Area(*step.area);
        progress->Position(step.position);
        EXPECT_EQ(alert->CurrentArea(), step.current);
        EXPECT_EQ(alert->OverallPosition(), step.overall);
    }
}

}  // namespace
}  // namespace roadsum
