#include <gtest/gtest.h>

#include "crash/settings/crash_settings.h"
#include "crash/settings/filter_groups.h"
#include "runtime/exceptions.h"
#include "settings_fakes.h"

namespace roadsum {

ROADSUM_EXCEPTION_CLASS(EDatabaseError, Exception);
ROADSUM_EXCEPTION_CLASS(EDBEditError, EDatabaseError);
ROADSUM_EXCEPTION_CLASS(EShopEditError, EDBEditError);

namespace testing {
namespace {

std::vector<std::string_view> chain_of(const Exception& e) {
    std::vector<std::string_view> chain;
    for (const char* name : e.class_chain()) chain.emplace_back(name);
    return chain;
}

class SettingsLists : public ::testing::Test {
protected:
    void load(const std::string& properties) {
        w.give(kExe, "NoSettings = false\n" + properties);
        s = w.context.RulingSettings();
    }
    SettingsWorld w;
    Ref<TCrashSettings> s;
};

TEST_F(SettingsLists, ClassDerivedFromAGroupOneClassGetsGroupOne) {
    load("F1Classes = \"EDBEditError\"\nF1NoScrShot = true\nF1NoHandlers = true\nF1NoSuspend = true\n"
         "F1ShowCfg = 3\nScrShotDepth = 8\nPauseThreads = true");
    FilterDecision d = decide_filter_group(*s, chain_of(EShopEditError("field is read-only")));
    EXPECT_EQ(d.group, FilterGroup::First);
    EXPECT_TRUE(d.create_report);
    EXPECT_FALSE(d.create_screenshot);
    EXPECT_FALSE(d.call_handlers);
    EXPECT_FALSE(d.suspend_threads);
    EXPECT_EQ(d.box_kind, 3);

    // The base class is not in the group; every other exception takes the general group.
    FilterDecision general = decide_filter_group(*s, chain_of(EDatabaseError("x")));
    EXPECT_EQ(general.group, FilterGroup::General);
    EXPECT_TRUE(general.create_screenshot);
    EXPECT_TRUE(general.suspend_threads);
    EXPECT_TRUE(general.call_handlers);
    EXPECT_EQ(general.box_kind, 0);
}

TEST_F(SettingsLists, ClassListsTrimBlanksAndGroupOneComesFirst) {
    load("F1Classes = \" EZeroDivide , EDBEditError\"\nF2Classes = \"EMathError,EConvertError\"\n"
         "F2NoBugRep = true\nF2Assis = \"SaveAssistant\"\nF2ShowCfg = 1\nGnShowCfg = 4");
    EXPECT_EQ(find_filter_group(*s, chain_of(EZeroDivide("x"))), FilterGroup::First);
    EXPECT_EQ(find_filter_group(*s, chain_of(EInvalidOp("x"))), FilterGroup::Second);
    FilterDecision d = decide_filter_group(*s, chain_of(EConvertError("x")));
    EXPECT_FALSE(d.create_report);
    EXPECT_EQ(d.assistant, "SaveAssistant");
    EXPECT_EQ(d.box_kind, 1);
    // Names are compared exactly.
    EXPECT_EQ(find_filter_group(*s, {"ezerodivide"}), FilterGroup::General);
    EXPECT_EQ(decide_filter_group(*s, {"EAbort"}).box_kind, 4);
    // No screenshot without a colour depth, whatever the group says.
    s->Set(keys::ScrShotDepth, 0);
    EXPECT_FALSE(decide_filter_group(*s, {"EAbort"}).create_screenshot);
}

TEST_F(SettingsLists, PluginsAreAddedInFrontAndRemovedByName) {
    load("Plugins = \"modules|processes|hardware\"");
    EXPECT_TRUE(s->HasPlugin("Processes"));
    EXPECT_FALSE(s->HasPlugin("process"));
    EXPECT_TRUE(s->SetPlugin("network", true));
    EXPECT_EQ(s->Get(keys::Plugins), "network|modules|processes|hardware");
    EXPECT_TRUE(s->SetPlugin("MODULES", true));  // already there: unchanged
    EXPECT_EQ(s->Get(keys::Plugins), "network|modules|processes|hardware");
    EXPECT_TRUE(s->SetPlugin("processes", false));
    EXPECT_EQ(s->Get(keys::Plugins), "network|modules|hardware");
    EXPECT_TRUE(s->SetPlugin("hardware", false));
    EXPECT_TRUE(s->SetPlugin("network", false));
    EXPECT_TRUE(s->SetPlugin("modules", false));
    EXPECT_EQ(s->Get(keys::Plugins), "");
    EXPECT_TRUE(s->SetPlugin("modules", true));
    EXPECT_EQ(s->Get(keys::Plugins), "modules");
    EXPECT_FALSE(s->SetPlugin("a|b", true));
}

TEST_F(SettingsLists, AssistantsAreFoundByNameIgnoringCase) {
    load("ScrShotDepth = 8\n"
         "Assistant1 = \"SendAssistant|Send Assistant|ContactForm|DetailsForm|ScrShotForm\"\n"
         "Assistant2 = \"SaveAssistant|%appname% saves|ContactForm|DetailsForm\"\n"
         "Assistant4 = \"Unreachable|after a gap|X\"");
    std::optional<AssistantDefinition> send = s->FindAssistant("sendassistant");
    ASSERT_TRUE(send);
    EXPECT_EQ(send->name, "SendAssistant");
    EXPECT_EQ(send->caption, "Send Assistant");
    EXPECT_EQ(send->pages, (std::vector<std::string>{"ContactForm", "DetailsForm", "ScrShotForm"}));
    EXPECT_EQ(s->FindAssistant("SaveAssistant")->caption, "Roadsum.exe saves");
    EXPECT_FALSE(s->FindAssistant("Unreachable"));  // the search ends at the first missing one
    EXPECT_FALSE(s->FindAssistant(""));
    EXPECT_FALSE(s->FindAssistant("PrintAssistant"));
}

TEST_F(SettingsLists, TheScreenshotPageGoesWithoutAScreenshot) {
    load("ScrShotDepth = 8\nAssistant1 = \"SendAssistant|Send|ContactForm|DetailsForm|ScrShotForm\"");
    Ref<FakeReport> report(new FakeReport(*s));
    EXPECT_EQ(report->FindAssistant("SendAssistant")->pages.size(), 3u);
    report->has_screenshot = false;
    EXPECT_EQ(report->FindAssistant("SendAssistant")->pages.size(), 2u);
    s->Set(keys::ScrShotDepth, 0);
    EXPECT_EQ(s->FindAssistant("SendAssistant")->pages,
              (std::vector<std::string>{"ContactForm", "DetailsForm"}));
}

TEST_F(SettingsLists, PageCacheKeepsWhatTheUserTyped) {
    load("");
    Ref<FakeReport> report(new FakeReport(*s));
    EXPECT_FALSE(report->PageItem("ContactForm", "NameEdit"));
    report->StorePageItem("ContactForm", "NameEdit", {"Ann", false});
    report->StorePageItem("ContactForm", "MemCheck", {"", true});
    EXPECT_EQ(report->PageItem("ContactForm", "NameEdit"), (CachedPageItem{"Ann", false}));
    EXPECT_TRUE(report->PageItem("ContactForm", "MemCheck")->checked);
    EXPECT_FALSE(report->PageItem("ContactFormNameEdit", ""));
}

TEST_F(SettingsLists, AttachmentsFillInNamesAndWriteThemselvesBack) {
    load("AddAttachs = \"C:\\\\logs\\\\trace.log||>>>|C:\\\\db\\\\shop.db>data.bin>all.zip>db\"");
    Ref<INXAttachments> list = s->AddAttachs();
    ASSERT_EQ(list->Count(), 2);  // the entry without a file is left out
    EXPECT_EQ(list->Items()[0], (Attachment{"C:\\logs\\trace.log", "trace.log", "", "trace"}));
    EXPECT_EQ(list->Items()[1], (Attachment{"C:\\db\\shop.db", "data.bin", "all.zip", "db"}));
    EXPECT_FALSE(list->Add(""));
    EXPECT_TRUE(list->Add("notes", "", "all.zip"));
    EXPECT_EQ(list->Items()[2], (Attachment{"notes", "notes", "all.zip", "notes"}));
    EXPECT_EQ(s->Get(keys::AddAttachs),
              "C:\\logs\\trace.log>trace.log>>trace|C:\\db\\shop.db>data.bin>all.zip>db|notes>notes>all.zip>notes");
    EXPECT_TRUE(list->Delete(0));
    EXPECT_FALSE(list->Delete(5));
    EXPECT_EQ(s->Get(keys::AddAttachs), "C:\\db\\shop.db>data.bin>all.zip>db|notes>notes>all.zip>notes");
    // Setting the text directly refreshes the list already handed out.
    s->Set(keys::AddAttachs, "a.txt");
    EXPECT_EQ(list->Count(), 1);
    EXPECT_EQ(s->AddAttachs().get(), list.get());
    // The list may outlive its settings object; it just stops writing back.
    s.reset();
    w.context.ReleaseRuling();
    EXPECT_TRUE(list->Add("b.txt"));
    EXPECT_EQ(list->Count(), 2);
}

TEST_F(SettingsLists, FieldsWriteThemselvesBackInOrder) {
    load("AddFields = \"product=Roadsum| version = 1.0 |broken|=x|product=again\"");
    Ref<INXFields> fields = s->AddFields();
    EXPECT_EQ(fields->Items(), (std::vector<NamedField>{{"product", "again"}, {"version", "1.0"}}));
    fields->Add("customer", "  ACME  ");
    fields->Add("product", "");  // empty content deletes
    EXPECT_EQ(s->Get(keys::AddFields), "version=1.0|customer=ACME");
    fields->Add("version", "1.1");
    EXPECT_EQ(s->Get(keys::AddFields), "version=1.1|customer=ACME");
}

TEST(ReportFields, ReplaceInPlaceInsertAtTheIndexAndDeleteWhenEmpty) {
    Ref<TReportFields> f = make_ref<TReportFields>();
    int changes = 0;
    f->OnChange().attach([&] { ++changes; });
    f->Add("date/time", "2024-03-07");
    f->Add("callstack crc", "will be calculated soon");
    f->SetInsertIndex(1);
    f->Add("contact name", "Ann");
    f->Add("contact email", "ann@example.org");
    f->Add("date/time", "2024-03-08");
    EXPECT_EQ(f->Items(), (std::vector<NamedField>{{"date/time", "2024-03-08"},
                                                   {"contact name", "Ann"},
                                                   {"contact email", "ann@example.org"},
                                                   {"callstack crc", "will be calculated soon"}}));
    f->Delete("date/time");  // before the index: the index moves back with the list
    f->Add("count", "2");
    EXPECT_EQ(f->Items()[2].first, "count");
    EXPECT_EQ(f->Find("contact name"), "Ann");
    EXPECT_FALSE(f->Find("date/time"));
    EXPECT_EQ(f->IndexOf("count"), 2);
    EXPECT_EQ(f->IndexOf("date/time"), -1);
    int before = changes;
    const std::uint64_t modification = f->Modification();
    f->Add("count", " 2 ");  // unchanged content: nobody is told, nothing is counted
    f->Delete("never there");
    EXPECT_EQ(changes, before);
    EXPECT_EQ(f->Modification(), modification);
    f->Clear();
    EXPECT_EQ(f->Count(), 0);
    EXPECT_EQ(changes, before + 1);
    EXPECT_EQ(f->Modification(), modification + 1);
    EXPECT_EQ(changes, 8);
    EXPECT_EQ(f->Modification(), 8u);  // every change counted once
}

}  // namespace
}  // namespace testing
}  // namespace roadsum
