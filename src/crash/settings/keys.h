// The keys of the crash reporter's settings, each with its type, so that a getter returns and a
// setter takes the right kind of value: settings->Get(keys::AutoDelay) is an integer.
#pragma once

#include <string_view>

namespace roadsum {

struct BoolKey {
    std::string_view name;
};
struct IntKey {
    std::string_view name;
};
struct EnumKey {  // a small enumeration stored in a byte
    std::string_view name;
};
struct TextKey {
    std::string_view name;
};

namespace keys {

inline constexpr BoolKey Enabled{"Enabled"};
inline constexpr BoolKey NoSettings{"NoSettings"};
inline constexpr BoolKey CheckFileCrc{"CheckFileCrc"};
inline constexpr BoolKey CheckFreeze{"CheckFreeze"};
inline constexpr IntKey FreezeTimeout{"FreezeTimeout"};
inline constexpr BoolKey AutoSave{"AutoSave"};
inline constexpr BoolKey AutoSaveIfNotSent{"AutoSaveIfNotSent"};
inline constexpr BoolKey AutoSend{"AutoSend"};
inline constexpr BoolKey AutoSendBox{"AutoSendBox"};
inline constexpr BoolKey AutoClip{"AutoClip"};
inline constexpr BoolKey PauseThreads{"PauseThreads"};
inline constexpr BoolKey PlWaitBox{"PlWaitBox"};
inline constexpr BoolKey AutoContinue{"AutoContinue"};
inline constexpr IntKey AutoRestart{"AutoRestart"};
inline constexpr IntKey AutoClose{"AutoClose"};
inline constexpr IntKey AutoDelay{"AutoDelay"};
inline constexpr BoolKey SendBtnVis{"SendBtnVis"};
inline constexpr BoolKey SaveBtnVis{"SaveBtnVis"};
inline constexpr BoolKey PrintBtnVis{"PrintBtnVis"};
inline constexpr BoolKey ShowBtnVis{"ShowBtnVis"};
inline constexpr BoolKey ContinueBtnVis{"ContinueBtnVis"};
inline constexpr BoolKey RestartBtnVis{"RestartBtnVis"};
inline constexpr BoolKey CloseBtnVis{"CloseBtnVis"};
inline constexpr EnumKey FocusedBtn{"FocusedBtn"};
inline constexpr TextKey SendAssis{"SendAssis"};
inline constexpr TextKey SaveAssis{"SaveAssis"};
inline constexpr TextKey PrintAssis{"PrintAssis"};
inline constexpr BoolKey AutoShowBugRep{"AutoShowBugRep"};
inline constexpr BoolKey UglyBtns{"UglyBtns"};
inline constexpr TextKey MailAddr{"MailAddr"};
inline constexpr BoolKey SendInBackgr{"SendInBackgr"};
inline constexpr BoolKey MailAsSmtpServer{"MailAsSmtpServer"};
inline constexpr BoolKey MailAsSmtpClient{"MailAsSmtpClient"};
inline constexpr BoolKey UploadViaHttp{"UploadViaHttp"};
inline constexpr BoolKey MailViaMapi{"MailViaMapi"};
inline constexpr BoolKey MailViaMailto{"MailViaMailto"};
inline constexpr TextKey SmtpServer{"SmtpServer"};
inline constexpr IntKey SmtpPort{"SmtpPort"};
inline constexpr TextKey SmtpAccount{"SmtpAccount"};
inline constexpr TextKey SmtpPassword{"SmtpPassword"};
inline constexpr TextKey HttpServer{"HttpServer"};
inline constexpr IntKey HttpPort{"HttpPort"};
inline constexpr TextKey HttpAccount{"HttpAccount"};
inline constexpr TextKey HttpPassword{"HttpPassword"};
inline constexpr BoolKey AttachBugRep{"AttachBugRep"};
inline constexpr BoolKey AttachBugRepFile{"AttachBugRepFile"};
inline constexpr BoolKey DelBugRepFile{"DelBugRepFile"};
inline constexpr TextKey BugRepSendAs{"BugRepSendAs"};
inline constexpr TextKey BugRepZip{"BugRepZip"};
inline constexpr IntKey ScrShotDepth{"ScrShotDepth"};
inline constexpr BoolKey ScrShotAppOnly{"ScrShotAppOnly"};
inline constexpr TextKey ScrShotSendAs{"ScrShotSendAs"};
inline constexpr TextKey ScrShotZip{"ScrShotZip"};
inline constexpr TextKey AddAttachs{"AddAttachs"};
inline constexpr TextKey MailFrom{"MailFrom"};
inline constexpr TextKey AddFields{"AddFields"};
inline constexpr TextKey BugRepFile{"BugRepFile"};
inline constexpr BoolKey AppendBugReps{"AppendBugReps"};
inline constexpr IntKey BugRepFileSize{"BugRepFileSize"};
inline constexpr BoolKey NoDupExcepts{"NoDupExcepts"};
inline constexpr BoolKey NoDupFreezes{"NoDupFreezes"};
inline constexpr EnumKey DupExceptDef{"DupExceptDef"};
inline constexpr EnumKey DupFreezeDef{"DupFreezeDef"};
inline constexpr BoolKey ListThreads{"ListThreads"};
inline constexpr BoolKey CpuRegs{"CpuRegs"};
inline constexpr BoolKey StackDump{"StackDump"};
inline constexpr BoolKey ShowDisAsm{"ShowDisAsm"};
inline constexpr BoolKey HideUglyItems{"HideUglyItems"};
inline constexpr BoolKey ShowRelAddrs{"ShowRelAddrs"};
inline constexpr BoolKey ShowRelLines{"ShowRelLines"};
inline constexpr BoolKey FormatDisAsm{"FormatDisAsm"};
inline constexpr IntKey LimitDisAsm{"LimitDisAsm"};
inline constexpr TextKey Plugins{"Plugins"};
inline constexpr TextKey F1Classes{"F1Classes"};
inline constexpr BoolKey F1NoBugRep{"F1NoBugRep"};
inline constexpr BoolKey F1NoScrShot{"F1NoScrShot"};
inline constexpr BoolKey F1NoHandlers{"F1NoHandlers"};
inline constexpr BoolKey F1NoSuspend{"F1NoSuspend"};
inline constexpr EnumKey F1ShowCfg{"F1ShowCfg"};
inline constexpr TextKey F1Assis{"F1Assis"};
inline constexpr TextKey F2Classes{"F2Classes"};
inline constexpr BoolKey F2NoBugRep{"F2NoBugRep"};
inline constexpr BoolKey F2NoScrShot{"F2NoScrShot"};
inline constexpr BoolKey F2NoHandlers{"F2NoHandlers"};
inline constexpr BoolKey F2NoSuspend{"F2NoSuspend"};
inline constexpr EnumKey F2ShowCfg{"F2ShowCfg"};
inline constexpr TextKey F2Assis{"F2Assis"};
inline constexpr BoolKey GnNoBugRep{"GnNoBugRep"};
inline constexpr BoolKey GnNoScrShot{"GnNoScrShot"};
inline constexpr BoolKey GnNoHandlers{"GnNoHandlers"};
inline constexpr BoolKey GnNoSuspend{"GnNoSuspend"};
inline constexpr EnumKey GnShowCfg{"GnShowCfg"};
inline constexpr TextKey GnAssis{"GnAssis"};
inline constexpr TextKey TitleBar{"TitleBar"};
inline constexpr TextKey ExceptMsg{"ExceptMsg"};
inline constexpr TextKey FrozenMsg{"FrozenMsg"};
inline constexpr TextKey BitFaultMsg{"BitFaultMsg"};
inline constexpr TextKey SendBtnTxt{"SendBtnTxt"};
inline constexpr TextKey SaveBtnTxt{"SaveBtnTxt"};
inline constexpr TextKey PrintBtnTxt{"PrintBtnTxt"};
inline constexpr TextKey ShowBtnTxt{"ShowBtnTxt"};
inline constexpr TextKey ContinueBtnTxt{"ContinueBtnTxt"};
inline constexpr TextKey RestartBtnTxt{"RestartBtnTxt"};
inline constexpr TextKey CloseBtnTxt{"CloseBtnTxt"};
inline constexpr TextKey OkBtnTxt{"OkBtnTxt"};
inline constexpr TextKey DetailsBtnTxt{"DetailsBtnTxt"};
inline constexpr TextKey PlWaitTitle{"PlWaitTitle"};
inline constexpr TextKey PlWaitText{"PlWaitText"};
inline constexpr TextKey MailSubj{"MailSubj"};
inline constexpr TextKey MailBody{"MailBody"};
inline constexpr TextKey SendBoxTitle{"SendBoxTitle"};
inline constexpr TextKey PrepAttMsg{"PrepAttMsg"};
inline constexpr TextKey MxLookMsg{"MxLookMsg"};
inline constexpr TextKey ConnMsg{"ConnMsg"};
inline constexpr TextKey AuthMsg{"AuthMsg"};
inline constexpr TextKey SendMailMsg{"SendMailMsg"};
inline constexpr TextKey FieldMsg{"FieldMsg"};
inline constexpr TextKey SendAttMsg{"SendAttMsg"};
inline constexpr TextKey SendFinalMsg{"SendFinalMsg"};
inline constexpr TextKey SendFailMsg{"SendFailMsg"};
inline constexpr IntKey VersionVar{"VersionVar"};
// Only in the resource: there is no built-in default for these.
inline constexpr TextKey MinDebugInfo{"MinDebugInfo"};
// Assistant definitions are "Assistant1", "Assistant2", and so on.
inline constexpr std::string_view AssistantPrefix{"Assistant"};

}  // namespace keys

// The keys of one filter group. The general group has no class list (an empty name).
struct FilterGroupKeys {
    TextKey classes;
    BoolKey no_bug_rep;
    BoolKey no_scr_shot;
    BoolKey no_handlers;
    BoolKey no_suspend;
    EnumKey show_cfg;
    TextKey assis;
};

namespace keys {

inline constexpr FilterGroupKeys F1Group{F1Classes, F1NoBugRep, F1NoScrShot, F1NoHandlers,
                                         F1NoSuspend, F1ShowCfg, F1Assis};
inline constexpr FilterGroupKeys F2Group{F2Classes, F2NoBugRep, F2NoScrShot, F2NoHandlers,
                                         F2NoSuspend, F2ShowCfg, F2Assis};
inline constexpr FilterGroupKeys GnGroup{TextKey{""}, GnNoBugRep, GnNoScrShot, GnNoHandlers,
                                         GnNoSuspend, GnShowCfg, GnAssis};

}  // namespace keys

}  // namespace roadsum
