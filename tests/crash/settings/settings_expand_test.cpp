#include <gtest/gtest.h>

#include "crash/settings/crash_settings.h"
#include "settings_fakes.h"

namespace roadsum::testing {
namespace {

class Expansion : public ::testing::Test {
protected:
    Expansion() {
        w.give(kExe, "NoSettings = false");
        w.give(kLibrary, "NoSettings = true");
        w.context.RulingSettings();
        exe = w.context.SettingsOf(kExe);
        lib = w.context.SettingsOf(kLibrary);
    }

    SettingsWorld w;
    Ref<TCrashSettings> exe, lib;
};

TEST_F(Expansion, NamesOfTheExecutableAndTheModule) {
    EXPECT_EQ(lib->ExpandText("%appname% / %modname%"), "Roadsum.exe / Plugin.dll");
    EXPECT_EQ(lib->ExpandText("%APPNAME%%AppName%"), "Roadsum.exeRoadsum.exe");  // ignoring case, all
    EXPECT_EQ(exe->Get(keys::TitleBar), "Roadsum.exe");
    EXPECT_EQ(exe->Get(keys::BitFaultMsg), "The file \"Roadsum.exe\" seems to be corrupt!");
}

TEST_F(Expansion, VersionTextComesFromTheVariableThenTheFileThenQuestionMark) {
    EXPECT_EQ(exe->ExpandText("%appversion%"), "?");
    w.env.file_versions[kExe] = "1.2.3.4";
    EXPECT_EQ(exe->ExpandText("%appversion%"), "1.2.3.4");
    exe->Set(keys::VersionVar, 0x1000);
    w.env.variables[{kExe, 0x1000}] = "2024.1";
    EXPECT_EQ(exe->ExpandText("%appversion%"), "2024.1");
    // A library asks the executable's own settings for %appversion%.
    w.env.file_versions[kLibrary] = "7.0.0.1";
    EXPECT_EQ(lib->ExpandText("%appversion% %modversion%"), "1.2.3.4 7.0.0.1");
    EXPECT_EQ(lib->VersionText(), "7.0.0.1");
}

TEST_F(Expansion, ReportVariablesStayForSettingsAndExpandForReports) {
    std::string text = "%exceptClass%: %exceptMsg%%LF%%bugReport%";
    EXPECT_EQ(exe->ExpandText(text), "%exceptClass%: %exceptMsg%\r\n%bugReport%");
    Ref<FakeReport> report(new FakeReport(*exe));
    EXPECT_EQ(report->ExpandText(text), "EConvertError: 'x' is not a valid integer value\r\ndate/time : now");
    report->exception_message.clear();
    EXPECT_EQ(report->ExpandText("%exceptmsg%"), "Unknown");
}

TEST_F(Expansion, InsertedValuesAreNotExpandedAgain) {
    Ref<FakeReport> report(new FakeReport(*exe));
    report->report_text = "user typed %date% and %LF%";
    EXPECT_EQ(report->ExpandText("[%bugReport%]"), "[user typed %date% and %LF%]");
    w.env.computer = "%appname%";
    EXPECT_EQ(exe->ExpandText("%computerName%"), "%appname%");
}

TEST_F(Expansion, DateAndTime) {
    EXPECT_EQ(exe->ExpandText("%date%"), "2024-03-07");
    EXPECT_EQ(exe->ExpandText("%time%"), "09:05:04, 42ms");
    EXPECT_EQ(exe->ExpandText("%datetime%"), "2024-03-07, 09:05:04, 42ms");
    w.env.time.millisecond = 7;
    EXPECT_EQ(exe->ExpandText("%TIME%"), "09:05:04, 7ms");
}

TEST_F(Expansion, ComputerNameAndUnknownVariables) {
    EXPECT_EQ(exe->ExpandText("%computerName%"), "WORKSHOP-PC");
    EXPECT_EQ(exe->ExpandText("100% sure, %unknown% %"), "100% sure, %unknown% %");
}

TEST_F(Expansion, SpecialFoldersLoseTheirTrailingBackslash) {
    w.env.folders[SpecialFolder::UserAppData] = "C:\\Users\\tech\\AppData\\Roaming\\";
    w.env.folders[SpecialFolder::CommonAppData] = "C:\\ProgramData";
    exe->Set(keys::BugRepFile, "%userappdata%\\Roadsum\\bugreport.txt");
    EXPECT_EQ(exe->Get(keys::BugRepFile), "C:\\Users\\tech\\AppData\\Roaming\\Roadsum\\bugreport.txt");
    EXPECT_EQ(exe->ExpandText("%commonappdata%|"), "C:\\ProgramData|");
    // Empty: the executable's folder; undeterminable: the variable stays.
    w.env.folders[SpecialFolder::UserAppData] = "";
    EXPECT_EQ(exe->ExpandText("%userappdata%\\x"), "C:\\Program Files\\Roadsum\\x");
    w.env.folders.erase(SpecialFolder::CommonAppData);
    EXPECT_EQ(exe->ExpandText("%commonappdata%\\x"), "%commonappdata%\\x");
}

TEST_F(Expansion, BugRepFileAsAFileNameDropsTheExtensions) {
    lib->Set(keys::BugRepFile, "%appname%-%modname%.txt");
    EXPECT_EQ(lib->BugRepFileName(), "Roadsum-Plugin.txt");
    EXPECT_EQ(lib->Get(keys::BugRepFile), "Roadsum.exe-Plugin.dll.txt");
}

}  // namespace
}  // namespace roadsum::testing
