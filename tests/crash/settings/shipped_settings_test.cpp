// The settings source of Roadsum.exe, compiled as the build compiles it.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "crash/settings/filter_groups.h"
#include "crash/settings/settings_stream.h"
#include "settings_fakes.h"
#include "shipped_settings.h"

namespace roadsum::testing {
namespace {

std::vector<std::uint8_t> shipped_resource() {
    std::ifstream in(ROADSUM_SOURCE_DIR "/src/app/crash_settings.txt", std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_FALSE(text.empty());
    return stream_of(text);
}

TEST(ShippedSettings, HoldExactlyTheShippedKeysInOrder) {
    LoadedSettings loaded = read_settings_stream(shipped_resource(), Windows1252CodePage());
    ASSERT_FALSE(loaded.error);
    std::vector<std::string> names;
    for (const SettingValue& v : loaded.entries) names.push_back(v.name);
    EXPECT_EQ(names, shipped_key_order());
}

TEST(ShippedSettings, ReadThroughTheSettingsObject) {
    SettingsWorld w;
    w.modules.resources[kExe] = shipped_resource();
    Ref<TCrashSettings> s = w.context.RulingSettings();
    ASSERT_EQ(s->Module(), kExe);
    expect_shipped_settings(*s);
    EXPECT_EQ(s->Get(keys::TitleBar), "Roadsum.exe");
    EXPECT_EQ(s->Get(keys::BitFaultMsg), "The file \"Roadsum.exe\" seems to be corrupt!");
    EXPECT_EQ(s->FindAssistant("SendAssistant")->pages.size(), 3u);
}

TEST(ShippedSettings, DatabaseEditErrorsGetOnlyTheSimpleBox) {
    SettingsWorld w;
    w.modules.resources[kExe] = shipped_resource();
    Ref<TCrashSettings> s = w.context.RulingSettings();
    FilterDecision d = decide_filter_group(*s, {"EDBEditError", "EDatabaseError", "Exception"});
    EXPECT_EQ(d, (FilterDecision{FilterGroup::First, true, false, false, false, 3, ""}));
    FilterDecision other = decide_filter_group(*s, {"EConvertError", "Exception"});
    EXPECT_EQ(other, (FilterDecision{FilterGroup::General, true, true, false, true, 0, ""}));
}

}  // namespace
}  // namespace roadsum::testing
