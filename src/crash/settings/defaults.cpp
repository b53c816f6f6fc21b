#include "crash/settings/defaults.h"

#include <vector>

#include "crash/settings/keys.h"

namespace roadsum {

namespace {

SettingValue d(BoolKey k, bool v) { return SettingValue::boolean(std::string(k.name), v); }
SettingValue d(IntKey k, std::int32_t v) { return SettingValue::integer(std::string(k.name), v); }
SettingValue d(EnumKey k, std::uint8_t v) { return SettingValue::byte(std::string(k.name), v); }
SettingValue d(TextKey k, const char* v) { return SettingValue::text_value(std::string(k.name), v); }

std::vector<SettingValue> make_table() {
    using namespace keys;
    return {
        d(Enabled, false),
        d(NoSettings, true),
        d(CheckFileCrc, true),
        d(CheckFreeze, false),
        d(FreezeTimeout, 60),
        d(AutoSave, true),
        d(AutoSaveIfNotSent, true),
        d(AutoSend, false),
        d(AutoSendBox, false),
        d(AutoClip, true),
        d(PauseThreads, false),
        d(PlWaitBox, true),
        d(AutoContinue, false),
        d(AutoRestart, 0),
        d(AutoClose, 0),
        d(AutoDelay, 60),
        d(SendBtnVis, true),
        d(SaveBtnVis, false),
        d(PrintBtnVis, false),
        d(ShowBtnVis, true),
        d(ContinueBtnVis, true),
        d(RestartBtnVis, true),
        d(CloseBtnVis, true),
        d(FocusedBtn, 0),
        d(SendAssis, ""),
        d(SaveAssis, ""),
        d(PrintAssis, ""),
        d(AutoShowBugRep, false),
        d(UglyBtns, false),
        d(MailAddr, ""),
        d(SendInBackgr, true),
        d(MailAsSmtpServer, false),
        d(MailAsSmtpClient, false),
        d(UploadViaHttp, false),
        d(MailViaMapi, true),
        d(MailViaMailto, true),
        d(SmtpServer, ""),
        d(SmtpPort, 25),
        d(SmtpAccount, ""),
        d(SmtpPassword, ""),
        d(HttpServer, ""),
        d(HttpPort, 80),
        d(HttpAccount, ""),
        d(HttpPassword, ""),
        d(AttachBugRep, true),
        d(AttachBugRepFile, true),
        d(DelBugRepFile, true),
        d(BugRepSendAs, "bugreport.txt"),
        d(BugRepZip, ""),
        d(ScrShotDepth, 0),
        d(ScrShotAppOnly, true),
        d(ScrShotSendAs, "screenshot.png"),
        d(ScrShotZip, ""),
        d(AddAttachs, ""),
        d(MailFrom, ""),
        d(AddFields, ""),
        d(BugRepFile, "bugreport.txt"),
        d(AppendBugReps, true),
        d(BugRepFileSize, 100000),
        d(NoDupExcepts, true),
        d(NoDupFreezes, true),
        d(DupExceptDef, 1),
        d(DupFreezeDef, 2),
        d(ListThreads, true),
        d(CpuRegs, true),
        d(StackDump, true),
        d(ShowDisAsm, true),
        d(HideUglyItems, false),
        d(ShowRelAddrs, true),
        d(ShowRelLines, true),
        d(FormatDisAsm, false),
        d(LimitDisAsm, 5),
        d(Plugins, "modules|processes|hardware"),
        d(F1Classes, ""),
        d(F1NoBugRep, false),
        d(F1NoScrShot, false),
        d(F1NoHandlers, false),
        d(F1NoSuspend, false),
        d(F1ShowCfg, 0),
        d(F1Assis, ""),
        d(F2Classes, ""),
        d(F2NoBugRep, false),
        d(F2NoScrShot, false),
        d(F2NoHandlers, false),
        d(F2NoSuspend, false),
        d(F2ShowCfg, 0),
        d(F2Assis, ""),
        d(GnNoBugRep, false),
        d(GnNoScrShot, false),
        d(GnNoHandlers, false),
        d(GnNoSuspend, false),
        d(GnShowCfg, 0),
        d(GnAssis, ""),
        d(TitleBar, "%appname%"),
        d(ExceptMsg, "An error occurred in the application."),
        d(FrozenMsg, "The application seems to be frozen."),
        d(BitFaultMsg, "The file \"%modname%\" seems to be corrupt!"),
        d(SendBtnTxt, "send bug report"),
        d(SaveBtnTxt, "save bug report"),
        d(PrintBtnTxt, "print bug report"),
        d(ShowBtnTxt, "show bug report"),
        d(ContinueBtnTxt, "continue bug report"),
        d(RestartBtnTxt, "restart bug report"),
        d(CloseBtnTxt, "close bug report"),
        d(OkBtnTxt, "&OK"),
        d(DetailsBtnTxt, "&Details"),
        d(PlWaitTitle, "Information"),
        d(PlWaitText, "Please wait a moment..."),
        d(MailSubj, "bug report"),
        d(MailBody, "please find the bug report attached"),
        d(SendBoxTitle, "Sending bug report..."),
        d(PrepAttMsg, "Prepare attachments..."),
        d(MxLookMsg, "Searching for mail server..."),
        d(ConnMsg, "Connecting to server..."),
        d(AuthMsg, "Authentication..."),
        d(SendMailMsg, "Sending mail..."),
        d(FieldMsg, "Setting fields..."),
        d(SendAttMsg, "Sending attachments..."),
        d(SendFinalMsg, "Finalizing..."),
        d(SendFailMsg, "Sorry, sending the bug report didn't work."),
        d(VersionVar, 0),
    };
}

}  // namespace

std::span<const SettingValue> builtin_settings_defaults() {
    static const std::vector<SettingValue> table = make_table();
    return table;
}

const SettingValue* find_builtin_default(std::string_view name) {
    for (const SettingValue& v : builtin_settings_defaults())
        if (v.name == name) return &v;
    return nullptr;
}

}  // namespace roadsum
