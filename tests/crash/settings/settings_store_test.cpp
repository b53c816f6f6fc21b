#include <gtest/gtest.h>

#include "crash/settings/password.h"
#include "crash/settings/settings_stream.h"
#include "crash/settings/store.h"
#include "settings_fakes.h"

namespace roadsum::testing {
namespace {

TEST(ModuleRecords, OneRecordPerModuleCountedAndFreedWithItsLastReference) {
    SettingsWorld w;
    w.give(kExe, "NoSettings = false\nMailAddr = \"a@example.org\"");
    {
        Ref<TCrashSettings> one = w.context.SettingsOf(kExe);
        Ref<TCrashSettings> two = w.context.SettingsOf(kExe);
        Ref<TCrashSettings> lib = w.context.SettingsOf(kLibrary);
        EXPECT_EQ(w.store.references(kExe), 2);
        EXPECT_EQ(w.store.references(kLibrary), 1);
        EXPECT_EQ(w.modules.resource_reads, 2);  // each module's resource is read once
        EXPECT_FALSE(lib->Valid());
        lib.reset();
        EXPECT_EQ(w.store.references(kLibrary), 0);
        one.reset();
        EXPECT_EQ(w.store.references(kExe), 1);
        EXPECT_EQ(two->Get(keys::MailAddr), "a@example.org");
    }
    EXPECT_TRUE(w.store.empty());
    // A module listed again after its record went is read again.
    w.context.SettingsOf(kExe);
    EXPECT_EQ(w.modules.resource_reads, 3);
}

TEST(ModuleRecords, ManySettingsGrowTheRecord) {
    MallocHeap heap;
    ModuleRecord* head = nullptr;
    ModuleList list(head, heap);
    ModuleSettingsData data;
    data.valid = true;
    for (int i = 0; i < 300; ++i) data.entries.push_back(SettingValue::integer("K" + std::to_string(i), i));
    data.entries.push_back(SettingValue::text_value("T", std::string("with\0zero", 9)));
    ModuleRecord* r = list.acquire(7, [&] { return data; });
    ASSERT_NE(r, nullptr);
    EXPECT_GE(r->capacity, 301);
    EXPECT_EQ(ModuleList::copy_of(*r).entries, data.entries);
    EXPECT_EQ(list.acquire(7, [] { return ModuleSettingsData{}; }), r);
    EXPECT_TRUE(list.release(7));
    EXPECT_TRUE(list.release(7));
    EXPECT_TRUE(list.empty());
    EXPECT_FALSE(list.release(7));
}

class FailingStore final : public SettingsStore {
public:
    std::optional<ModuleSettingsData> acquire(ModuleHandle, const std::function<ModuleSettingsData()>&) override {
        return std::nullopt;
    }
    void release(ModuleHandle) override { ++releases; }
    int releases = 0;
};

TEST(ModuleRecords, WithoutABufferTheModuleRunsOnDefaults) {
    FakeEnvironment env;
    FakeModules modules;
    FailingStore store;
    SettingsContext context(env, modules, store);
    modules.resources[kExe] = settings_resource("NoSettings = false\nAutoDelay = 5");
    {
        Ref<TCrashSettings> s = context.SettingsOf(kExe);
        EXPECT_FALSE(s->Valid());
        EXPECT_EQ(s->Get(keys::AutoDelay), 60);
        ASSERT_EQ(env.errors.size(), 1u);
        EXPECT_EQ(env.errors[0], "noxExcept: internal error (opening settings buffer)");
    }
    EXPECT_EQ(store.releases, 0);  // nothing was referenced, nothing is released
}

TEST(RulingSettings, TheReportersModuleRulesWhenItsSettingsCount) {
    SettingsWorld w;
    w.modules.reporter = kLibrary;
    w.give(kExe, "NoSettings = false\nMailAddr = \"exe\"");
    w.give(kLibrary, "NoSettings = false\nMailAddr = \"lib\"");
    EXPECT_EQ(w.context.RulingSettings()->Module(), kLibrary);
}

TEST(RulingSettings, OtherwiseTheIdePackageThenTheFirstImageThatCounts) {
    constexpr ModuleHandle kIde = 0x20000000, kOther = 0x30000000;
    SettingsWorld w;
    w.modules.reporter = kLibrary;
    w.modules.image_list = {kExe, kLibrary, kIde, kOther};
    w.give(kLibrary, "NoSettings = true");
    w.give(kExe, "");  // NoSettings is true by default
    w.give(kOther, "NoSettings = false");
    EXPECT_EQ(w.context.RulingSettings()->Module(), kOther);
    w.context.ReleaseRuling();

    w.modules.loaded[kIdePackageName] = kIde;
    w.give(kIde, "NoSettings = true");  // the package rules when it has settings at all
    EXPECT_EQ(w.context.RulingSettings()->Module(), kIde);
    w.context.ReleaseRuling();

    w.modules.loaded.clear();
    w.modules.resources.erase(kOther);
    EXPECT_EQ(w.context.RulingSettings()->Module(), kExe);  // all say NoSettings: the first found
    w.context.ReleaseRuling();
    // The candidates that were not chosen gave their records back.
    EXPECT_EQ(w.store.references(kLibrary), 0);
    EXPECT_EQ(w.store.references(kIde), 0);
    EXPECT_TRUE(w.store.empty());
}

TEST(RulingSettings, NoModuleWithSettingsLeavesTheReportersOwnInvalidSet) {
    SettingsWorld w;
    Ref<TCrashSettings> ruling = w.context.RulingSettings();
    EXPECT_EQ(ruling->Module(), kExe);
    EXPECT_FALSE(ruling->Valid());
    EXPECT_EQ(w.context.SettingsOf(kLibrary)->Get(keys::AutoDelay), 60);
}

TEST(SettingsBufferName, ProcessIdInUpperCaseHexadecimal) {
    EXPECT_EQ(process_object_name("noxExceptSettingsBuf", 0xA3C), "noxExceptSettingsBuf$00000A3C");
    EXPECT_EQ(process_object_name("noxExceptSettingsMtx", 0xFFFFFFFF), "noxExceptSettingsMtx$FFFFFFFF");
}

TEST(StoredPasswords, DecipherOnlyWithTheirAccountAndServer) {
    std::string stored = encipher_password("s3cret pass", "tech", "smtp.example.org");
    EXPECT_EQ(stored.find("s3cret"), std::string::npos);
    EXPECT_EQ(stored.size(), 2 * (11 + 1));
    EXPECT_EQ(decipher_password(stored, "tech", "smtp.example.org"), "s3cret pass");
    EXPECT_NE(decipher_password(stored, "tech2", "smtp.example.org"), "s3cret pass");
    EXPECT_NE(decipher_password(stored, "tech", "smtp.example.com"), "s3cret pass");
    EXPECT_EQ(decipher_password(encipher_password("", "a", "b"), "a", "b"), "");
    EXPECT_FALSE(decipher_password("ABC", "tech", "smtp.example.org"));
    EXPECT_FALSE(decipher_password("ZZ", "tech", "smtp.example.org"));
    // Repeated characters do not show as repeated bytes.
    std::string same = encipher_password("aaaaaaaa", "a", "b");
    EXPECT_NE(same.substr(0, 2), same.substr(2, 2));
}

TEST(StoredPasswords, AreDecipheredWhenTheSettingsAreRead) {
    std::string smtp = encipher_password("mail-pw", "tech", "smtp.example.org");
    std::string http = encipher_password("web-pw", "", "upload.example.org/bugs");
    LoadedSettings loaded = read_settings_stream(
        settings_resource("SmtpAccount = \"tech\"\nSmtpServer = \"smtp.example.org\"\nSmtpPassword = \"" + smtp +
                          "\"\nHttpServer = \"upload.example.org/bugs\"\nHttpPassword = \"" + http + "\""),
        Windows1252CodePage());
    ASSERT_FALSE(loaded.error);
    auto text = [&](const char* name) {
        for (const SettingValue& v : loaded.entries)
            if (v.name == name) return v.text;
        return std::string("(missing)");
    };
    EXPECT_EQ(text("SmtpPassword"), "mail-pw");
    EXPECT_EQ(text("HttpPassword"), "web-pw");

    // A stored form that does not fit its account leaves the password empty.
    LoadedSettings wrong = read_settings_stream(
        settings_resource("SmtpAccount = \"other\"\nSmtpServer = \"smtp.example.org\"\nSmtpPassword = \"" + smtp + "\""),
        Windows1252CodePage());
    EXPECT_EQ(wrong.entries.back().text, "");
}

TEST(SettingsStream, ValueKindsWideTextsAndRepeatedKeys) {
    LoadedSettings loaded = read_settings_stream(
        settings_resource("A = 1\nB = int16(300)\nC = true\nD = wstring(\"caf\\u00E9 \\u20AC \\u4E2D\")\n"
                          "E = utf8(\"na\\xC3\\xAFve\")\nF = lstring(\"long\")\nA = 2"),
        Windows1252CodePage());
    ASSERT_FALSE(loaded.error);
    ASSERT_EQ(loaded.entries.size(), 6u);
    EXPECT_EQ(loaded.entries[0], SettingValue::integer("A", 2));  // the later value wins, in place
    EXPECT_EQ(loaded.entries[1], SettingValue::integer("B", 300));
    EXPECT_EQ(loaded.entries[2], SettingValue::boolean("C", true));
    EXPECT_EQ(loaded.entries[3].text, "caf\xE9 \x80 ?");
    EXPECT_EQ(loaded.entries[4].text, "na\xEFve");
    EXPECT_EQ(loaded.entries[5], SettingValue::text_value("F", "long"));
}

TEST(SettingsStream, IdentifiersAndTruncationEndTheReading) {
    LoadedSettings ident = read_settings_stream(settings_resource("A = 1\nB = alClient\nC = 3"), Windows1252CodePage());
    EXPECT_EQ(ident.entries.size(), 1u);
    EXPECT_EQ(ident.error, "Internal error: Invalid settings resource ($07).");

    std::vector<std::uint8_t> full = settings_resource("A = 1\nB = \"two\"");
    std::vector<std::uint8_t> cut(full.begin(), full.end() - 4);
    LoadedSettings truncated = read_settings_stream(cut, Windows1252CodePage());
    EXPECT_EQ(truncated.entries.size(), 1u);
    EXPECT_EQ(truncated.error, "Internal error: Invalid settings resource (truncated).");

    // Nested objects after the settings are no concern of the settings.
    LoadedSettings nested = read_settings_stream(
        stream_of("object noxExcept: TNoxExcept\n A = 1\n object x: TX\n B = alClient\n end\nend"),
        Windows1252CodePage());
    EXPECT_FALSE(nested.error);
    EXPECT_EQ(nested.entries.size(), 1u);
}

}  // namespace
}  // namespace roadsum::testing
