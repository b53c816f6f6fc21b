// The values this program ships in its settings resource, checked through the settings
// object both where the source is compiled (native tree) and in Roadsum.exe (under Wine).
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "crash/settings/crash_settings.h"
#include "crash/settings/defaults.h"

namespace roadsum::testing {

// The keys of the resource in their order: the built-in table without the keys the
// resource leaves to it, the identification of the debug information, then the assistants.
inline std::vector<std::string> shipped_key_order() {
    std::vector<std::string> order;
    for (const SettingValue& d : builtin_settings_defaults())
        if (d.name != "AutoDelay" && d.name != "MailFrom" && d.name != "AddFields" && d.name != "VersionVar")
            order.push_back(d.name);
    order.push_back("MinDebugInfo");
    for (const char* a : {"Assistant1", "Assistant2", "Assistant3"}) order.push_back(a);
    return order;
}

// Three words, each "$" and 8 lower-case hexadecimal digits, joined by ", ". The source holds
// zeros; the build writes the real words into the copy in Roadsum.exe.
inline bool is_debug_identification(const std::string& text) {
    if (text.size() != 31) return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const std::size_t at = i % 11;
        const char c = text[i];
        const bool ok = at == 0 ? c == '$' : at == 9 ? c == ',' : at == 10 ? c == ' ' : (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
        if (!ok) return false;
    }
    return true;
}

inline void expect_shipped_settings(const INXSettings& s) {
    using namespace keys;
    EXPECT_TRUE(s.Valid());
    for (BoolKey k : {Enabled, CheckFileCrc, AutoSave, AutoSaveIfNotSent, PlWaitBox, SendBtnVis, ShowBtnVis,
                      ContinueBtnVis, RestartBtnVis, CloseBtnVis, SendInBackgr, MailViaMapi, MailViaMailto,
                      AttachBugRep, AttachBugRepFile, DelBugRepFile, AppendBugReps, NoDupExcepts, NoDupFreezes,
                      ListThreads, CpuRegs, StackDump, ShowDisAsm, ShowRelAddrs, ShowRelLines, F1NoScrShot,
                      F1NoHandlers, F1NoSuspend})
        EXPECT_TRUE(s.Get(k)) << k.name;
    for (BoolKey k : {NoSettings, CheckFreeze, AutoSend, AutoSendBox, AutoClip, PauseThreads, AutoContinue, SaveBtnVis,
                      PrintBtnVis, AutoShowBugRep, UglyBtns, MailAsSmtpServer, MailAsSmtpClient, UploadViaHttp,
                      ScrShotAppOnly, HideUglyItems, FormatDisAsm, F1NoBugRep, F2NoBugRep, F2NoScrShot, F2NoHandlers,
                      F2NoSuspend, GnNoBugRep, GnNoScrShot, GnNoHandlers, GnNoSuspend})
        EXPECT_FALSE(s.Get(k)) << k.name;
    struct IntCase {
        IntKey key;
        int value;
    };
    for (IntCase c : {IntCase{FreezeTimeout, 60000}, {AutoRestart, 0}, {AutoClose, 0}, {AutoDelay, 60},
                      {SmtpPort, 25}, {HttpPort, 80}, {ScrShotDepth, 8}, {BugRepFileSize, 100000},
                      {LimitDisAsm, 5}, {VersionVar, 0}})
        EXPECT_EQ(s.Get(c.key), c.value) << c.key.name;
    struct EnumCase {
        EnumKey key;
        int value;
    };
    for (EnumCase c : {EnumCase{FocusedBtn, 0}, {DupExceptDef, 1}, {DupFreezeDef, 2}, {F1ShowCfg, 3},
                       {F2ShowCfg, 0}, {GnShowCfg, 0}})
        EXPECT_EQ(s.Get(c.key), c.value) << c.key.name;
    struct TextCase {
        TextKey key;
        const char* value;
    };
    for (TextCase c : {
             TextCase{SendAssis, "SendAssistant"},
             {SaveAssis, "SaveAssistant"},
             {PrintAssis, "PrintAssistant"},
             {MailAddr, ""},
             {SmtpServer, ""},
             {SmtpAccount, ""},
             {SmtpPassword, ""},
             {HttpServer, ""},
             {HttpAccount, ""},
             {HttpPassword, ""},
             {BugRepSendAs, "bugreport.txt"},
             {BugRepZip, ""},
             {ScrShotSendAs, "screenshot.png"},
             {ScrShotZip, ""},
             {AddAttachs, ""},
             {MailFrom, ""},
             {AddFields, ""},
             {BugRepFile, "bugreport.txt"},
             {Plugins, "modules|processes|hardware"},
             {F1Classes, "EDBEditError"},
             {F1Assis, ""},
             {F2Classes, ""},
             {F2Assis, ""},
             {GnAssis, ""},
             {ExceptMsg, "An error occurred in the application."},
             {FrozenMsg, "The application seems to be frozen."},
             {SendBtnTxt, "send bug report"},
             {SaveBtnTxt, "save bug report"},
             {PrintBtnTxt, "print bug report"},
             {ShowBtnTxt, "show bug report"},
             {ContinueBtnTxt, "continue application"},
             {RestartBtnTxt, "restart application"},
             {CloseBtnTxt, "close application"},
             {OkBtnTxt, "&OK"},
             {DetailsBtnTxt, "&Details"},
             {PlWaitTitle, "Information"},
             {PlWaitText, "Please wait a moment..."},
             {MailSubj, "bug report"},
             {MailBody, "please find the bug report attached"},
             {SendBoxTitle, "Sending bug report..."},
             {PrepAttMsg, "Preparing attachments..."},
             {MxLookMsg, "Searching for mail server..."},
             {ConnMsg, "Connecting to server..."},
             {AuthMsg, "Authentication..."},
             {SendMailMsg, "Sending mail..."},
             {FieldMsg, "Setting fields..."},
             {SendAttMsg, "Sending attachments..."},
             {SendFinalMsg, "Finalizing..."},
             {SendFailMsg, "Sorry, sending the bug report didn't work."},
         })
        EXPECT_EQ(s.Get(c.key), c.value) << c.key.name;
    EXPECT_TRUE(is_debug_identification(s.Get(MinDebugInfo))) << s.Get(MinDebugInfo);
    EXPECT_EQ(s.GetText("Assistant1"), "SendAssistant|Send Assistant|ContactForm|DetailsForm|ScrShotForm");
    EXPECT_EQ(s.GetText("Assistant2"), "SaveAssistant|Save Assistant|ContactForm|DetailsForm");
    EXPECT_EQ(s.GetText("Assistant3"), "PrintAssistant|Print Assistant|ContactForm|DetailsForm");
    EXPECT_EQ(s.GetText("Assistant4"), "");
}

}  // namespace roadsum::testing
