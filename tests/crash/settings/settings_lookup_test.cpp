#include <gtest/gtest.h>

#include "crash/settings/crash_settings.h"
#include "crash/settings/defaults.h"
#include "settings_fakes.h"

namespace roadsum::testing {
namespace {

TEST(BuiltinDefaults, TableHoldsEveryKeyOnceInItsOrder) {
    auto table = builtin_settings_defaults();
    ASSERT_EQ(table.size(), 121u);
    EXPECT_EQ(table.front().name, "Enabled");
    EXPECT_EQ(table[4].name, "FreezeTimeout");
    EXPECT_EQ(table[15].name, "AutoDelay");
    EXPECT_EQ(table[72].name, "Plugins");
    EXPECT_EQ(table[93].name, "TitleBar");
    EXPECT_EQ(table.back().name, "VersionVar");
    for (std::size_t i = 0; i < table.size(); ++i)
        for (std::size_t j = i + 1; j < table.size(); ++j) EXPECT_NE(table[i].name, table[j].name);
    EXPECT_EQ(find_builtin_default("MinDebugInfo"), nullptr);
    EXPECT_EQ(find_builtin_default("Assistant1"), nullptr);
}

TEST(BuiltinDefaults, WhereTheyDifferFromTheShippedValues) {
    SettingsWorld w;  // no resources: every answer is a built-in default
    Ref<TCrashSettings> s = w.context.SettingsOf(kExe);
    EXPECT_FALSE(s->Valid());
    EXPECT_FALSE(s->Get(keys::Enabled));
    EXPECT_TRUE(s->Get(keys::NoSettings));
    EXPECT_EQ(s->Get(keys::FreezeTimeout), 60);
    EXPECT_TRUE(s->Get(keys::AutoClip));
    EXPECT_EQ(s->Get(keys::SendAssis), "");
    EXPECT_EQ(s->Get(keys::ScrShotDepth), 0);
    EXPECT_TRUE(s->Get(keys::ScrShotAppOnly));
    EXPECT_EQ(s->Get(keys::F1Classes), "");
    EXPECT_FALSE(s->Get(keys::F1NoScrShot));
    EXPECT_EQ(s->Get(keys::F1ShowCfg), 0);
    EXPECT_EQ(s->Get(keys::ContinueBtnTxt), "continue bug report");
    EXPECT_EQ(s->Get(keys::PrepAttMsg), "Prepare attachments...");
    EXPECT_EQ(s->Get(keys::DupFreezeDef), 2);
    EXPECT_EQ(s->Get(keys::HttpPort), 80);
}

TEST(SettingsLookup, MissingKeysGiveDefaultsOrFalseZeroEmpty) {
    SettingsWorld w;
    w.give(kExe, "NoSettings = false\nMailAddr = \"bugs@example.org\"");
    Ref<TCrashSettings> s = w.context.RulingSettings();
    ASSERT_EQ(s->Module(), kExe);
    EXPECT_EQ(s->Get(keys::AutoDelay), 60);
    EXPECT_EQ(s->Get(keys::VersionVar), 0);
    EXPECT_EQ(s->Get(keys::MailAddr), "bugs@example.org");
    EXPECT_FALSE(s->GetBool("NoSuchKey"));
    EXPECT_EQ(s->GetInteger("NoSuchKey"), 0);
    EXPECT_EQ(s->GetText("NoSuchKey"), "");
    EXPECT_EQ(s->Get(keys::MinDebugInfo), "");
}

TEST(SettingsLookup, KeysAreCaseSensitive) {
    SettingsWorld w;
    w.give(kExe, "NoSettings = false\nmailaddr = \"lower@example.org\"\nAutoDelay = 5");
    Ref<TCrashSettings> s = w.context.RulingSettings();
    EXPECT_EQ(s->Get(keys::MailAddr), "");
    EXPECT_EQ(s->GetText("mailaddr"), "lower@example.org");
    EXPECT_EQ(s->GetInteger("autodelay"), 0);
    EXPECT_EQ(s->GetInteger("AutoDelay"), 5);
}

TEST(SettingsLookup, LibraryFallsBackToTheRulingExecutable) {
    SettingsWorld w;
    w.give(kExe, "NoSettings = false\nMailAddr = \"exe@example.org\"\nAutoDelay = 30");
    w.give(kLibrary, "NoSettings = true\nMailSubj = \"plug-in report\"");
    w.context.RulingSettings();
    Ref<TCrashSettings> lib = w.context.SettingsOf(kLibrary);
    EXPECT_TRUE(lib->Valid());
    EXPECT_EQ(lib->Get(keys::MailAddr), "exe@example.org");
    EXPECT_EQ(lib->Get(keys::AutoDelay), 30);
    EXPECT_EQ(lib->Get(keys::MailSubj), "plug-in report");
    // The ruling module itself falls back on the built-in defaults.
    EXPECT_EQ(w.context.SettingsOf(kExe)->Get(keys::MailSubj), "bug report");
}

TEST(SettingsLookup, EnumerationsReadFromIntegersAndBytesAlike) {
    SettingsWorld w;
    w.give(kExe, "NoSettings = false\nF1ShowCfg = 3\nFocusedBtn = int32(6)\nCheckFreeze = 1");
    Ref<TCrashSettings> s = w.context.RulingSettings();
    EXPECT_EQ(s->Get(keys::F1ShowCfg), 3);
    EXPECT_EQ(s->Get(keys::FocusedBtn), 6);
    EXPECT_TRUE(s->Get(keys::CheckFreeze));
    EXPECT_EQ(s->GetInteger("NoSettings"), 0);
    EXPECT_EQ(s->GetValue("Enabled"), 0u);  // the built-in false
    ASSERT_TRUE(s->Set(keys::AutoClose, -1));
    EXPECT_EQ(s->GetValue("AutoClose"), 0xFFFFFFFFu);
}

TEST(SettingsSetters, ChangeOnlyTheObjectsOwnCopy) {
    SettingsWorld w;
    w.give(kExe, "NoSettings = false\nMailAddr = \"a@example.org\"");
    Ref<TCrashSettings> ruling = w.context.RulingSettings();
    Ref<TCrashSettings> one = w.context.SettingsOf(kExe);
    Ref<TCrashSettings> two = w.context.SettingsOf(kExe);
    EXPECT_TRUE(one->Set(keys::MailAddr, "b@example.org"));
    EXPECT_TRUE(one->Set(keys::AutoDelay, 9));  // a key the set lacks is added
    EXPECT_TRUE(one->Set(keys::FocusedBtn, 4));
    EXPECT_TRUE(one->Set(keys::AutoSend, true));
    EXPECT_EQ(one->Get(keys::MailAddr), "b@example.org");
    EXPECT_EQ(one->Get(keys::AutoDelay), 9);
    EXPECT_EQ(one->Get(keys::FocusedBtn), 4);
    EXPECT_TRUE(one->Get(keys::AutoSend));
    EXPECT_EQ(two->Get(keys::MailAddr), "a@example.org");
    EXPECT_EQ(two->Get(keys::AutoDelay), 60);
    EXPECT_EQ(w.context.SettingsOf(kExe)->Get(keys::MailAddr), "a@example.org");
}

TEST(SettingsSetters, FailWithoutASettingsResource) {
    SettingsWorld w;
    Ref<TCrashSettings> s = w.context.SettingsOf(kLibrary);
    EXPECT_FALSE(s->Valid());
    EXPECT_FALSE(s->Set(keys::MailAddr, "x@example.org"));
    EXPECT_FALSE(s->SetPlugin("extra", true));
    EXPECT_EQ(s->Get(keys::MailAddr), "");
}

TEST(SettingsSetters, AReportCopyKeepsItsChangesToItself) {
    SettingsWorld w;
    w.give(kExe, "NoSettings = false\nScrShotDepth = 8");
    w.context.RulingSettings();
    Ref<TCrashSettings> module = w.context.SettingsOf(kExe);
    int before = w.store.references(kExe);
    {
        Ref<FakeReport> report(new FakeReport(*module));
        EXPECT_EQ(w.store.references(kExe), before + 1);  // the report holds its own record reference
        EXPECT_TRUE(report->Set(keys::ScrShotDepth, 0));
        EXPECT_EQ(report->Get(keys::ScrShotDepth), 0);
        EXPECT_EQ(module->Get(keys::ScrShotDepth), 8);
        module->Set(keys::AutoDelay, 1);
        EXPECT_EQ(report->Get(keys::AutoDelay), 60);
    }
    EXPECT_EQ(w.store.references(kExe), before);
}

TEST(SettingsLoading, ABrokenResourceKeepsWhatWasReadAndTellsTheUser) {
    SettingsWorld w;
    std::vector<std::uint8_t> r = settings_resource("NoSettings = false\nMailAddr = \"kept@example.org\"\nZ = 1");
    // Replace the value type of the last property (an 8-bit integer) by 5.
    auto at = std::find(r.rbegin(), r.rend(), std::uint8_t{2});
    *at = 5;
    w.modules.resources[kExe] = r;
    Ref<TCrashSettings> s = w.context.RulingSettings();
    EXPECT_TRUE(s->Valid());
    EXPECT_EQ(s->Get(keys::MailAddr), "kept@example.org");
    ASSERT_EQ(w.env.errors.size(), 1u);
    EXPECT_EQ(w.env.errors[0], "noxExcept: Internal error: Invalid settings resource ($05).");

    // Read once per record: the message is not repeated for further objects.
    w.context.SettingsOf(kExe);
    EXPECT_EQ(w.env.errors.size(), 1u);
}

}  // namespace
}  // namespace roadsum::testing
