#include <gtest/gtest.h>

#include <functional>
#include <map>

#include "assistant_pages.h"
#include "capture_fakes.h"
#include "crash/assistants/address_check.h"
#include "crash/assistants/page_contents.h"
#include "crash/assistants/report_assistant.h"

namespace roadsum {
namespace {

using Pages = std::vector<std::string>;

TEST(AddressCheck, AcceptsPlainAddressesOnly) {
    const char* valid[] = {"anna@example.com", "a@b.de", "first.last@mail.example.org", "o'neil+bugs@x-y.co.uk",
                           "UPPER_case-1@Host.Example", "x{1}|~#@a.b"};
    const char* invalid[] = {"",           "anna.example.com", "@example.com",      " anna@example.com",
                             "anna@example.com ", "anna@.example.com", "anna@example",  ".anna@example.com",
                             "anna@example.com.", "an..na@example.com", "anna@example..com", "an na@example.com",
                             "anna@exa@mple.com", "anna\"@example.com", "anna@exam(ple).com", "ann\xE4@example.com"};
    for (const char* a : valid) EXPECT_TRUE(IsValidMailAddress(a)) << a;
    for (const char* a : invalid) EXPECT_FALSE(IsValidMailAddress(a)) << a;
}

class FakeMemory final : public ContactMemory {
public:
    std::map<std::string, std::string> values;
    std::optional<std::string> Name() override { return get("RememberName"); }
    std::optional<std::string> Email() override { return get("RememberEmail"); }
    void Remember(const std::string& name, const std::string& email) override {
        values["RememberName"] = name;
        values["RememberEmail"] = email;
    }
    void Forget() override { values.clear(); }

private:
    std::optional<std::string> get(const std::string& key) {
        const auto found = values.find(key);
        return found == values.end() ? std::nullopt : std::optional(found->second);
    }
};

// Stands in for the page windows: each page shown runs the next script, which acts as a
// user would; the page then closes with the result the user's button gave.
class ScriptedHost final : public PageHost {
public:
    std::vector<std::function<void(TNVForm&)>> scripts;
    Pages shown;

    int run_modal(TNVForm& form, std::uintptr_t) override {
        shown.push_back(form.Name());
        form.Shown();
        if (shown.size() <= scripts.size()) scripts[shown.size() - 1](form);
        form.Closing();
        return form.ModalResult();
    }
};

TNVItem& item_of(TNVForm& form, std::string_view name) {
    for (const auto& i : form.Items())
        if (i->Name() == name) return *i;
    throw std::logic_error(std::string(name));
}
void type(TNVForm& form, std::string_view edit, const std::string& text) {
    form.EditTyped(static_cast<TNVEdit&>(item_of(form, edit)), text);
}
void press(TNVForm& form, std::string_view name) { form.Press(item_of(form, name)); }

class ReportAssistants : public ::testing::Test {
protected:
    ReportAssistants() : world_(kAssistants) {
        previous_host_ = SetPageHost(&host_);
        SetContactMemory(&memory_);
        report_ = world_.report(ekNormal, testing::exception_of({"Exception"}));
        // The header as the report completion leaves it: later fields go before the checksums.
        report_->Fields()->Add("date/time", "2024-03-07, 09:05:04");
        report_->Fields()->Add("callstack crc", "will be calculated soon");
        report_->Fields()->Add("exception class", "Exception");
        report_->Fields()->SetInsertIndex(1);
    }
    ~ReportAssistants() override {
        SetPageHost(previous_host_);
        SetContactMemory(nullptr);
    }
    TAssistantResult run(const std::string& name) {
        const std::shared_ptr<TNVAssistant> assistant = PrepareReportAssistant(*report_, name, [this](const AssistantDefinition& d) {
            return BuildAssistant(d.caption, d.pages, resources_, {});
        });
        if (!assistant) return TAssistantResult::NotShown;
        return FinishReportAssistant(*report_, *assistant, assistant->ShowModal());
    }
    std::vector<std::string> header_labels() const {
        std::vector<std::string> labels;
        for (const auto& [label, content] : report_->Fields()->Items()) labels.push_back(label);
        return labels;
    }

    static constexpr const char* kAssistants =
        "Assistant1 = \"SendAssistant|Send Assistant|ContactForm|DetailsForm|ScrShotForm\"\n"
        "Assistant2 = \"SaveAssistant|Save Assistant|ContactForm|DetailsForm\"\n";
    testing::CaptureWorld world_;
    testing::ShippedPageResources resources_;
    ScriptedHost host_;
    PageHost* previous_host_;
    FakeMemory memory_;
    Ref<TCrashException> report_;
};

TEST_F(ReportAssistants, PagesGoIntoTheReportAndComeBackPrefilledInTheNextAssistant) {
    // The report has no screenshot: the send assistant shows two pages.
    host_.scripts = {[](TNVForm& contact) {
                         type(contact, "NameEdit", "Anna Berg");
                         type(contact, "EmailEdit", "anna@example.com");
                         press(contact, "ContinueBtn");
                     },
                     [](TNVForm& details) {
                         type(details, "DetailsMemo", "I pressed Calculate.\r\nThen it failed.");
                         press(details, "ContinueBtn");
                     }};
    EXPECT_EQ(run("sendASSISTANT"), TAssistantResult::Done);
    EXPECT_EQ(host_.shown, (Pages{"ContactForm", "DetailsForm"}));
    EXPECT_EQ(header_labels(),
              (std::vector<std::string>{"date/time", "contact name", "contact email", "callstack crc", "exception class"}));
    EXPECT_EQ(report_->Fields()->Find("contact email"), "anna@example.com");
    EXPECT_EQ(report_->Sections()->Items(),
              (std::vector<NamedField>{{"error details", "I pressed Calculate.\r\nThen it failed."}}));
    EXPECT_EQ(report_->Get(keys::MailFrom), "Anna Berg <anna@example.com>");
    EXPECT_TRUE(memory_.values.empty());  // "remember me" was not ticked

    // The save assistant starts with what was typed; the user changes the name only.
    std::string email_seen, details_seen;
    host_.shown.clear();
    host_.scripts = {[&](TNVForm& contact) {
                         email_seen = contact.Edit("EmailEdit")->Text();
                         EXPECT_FALSE(contact.ContinueBtn()->ForcedDisabled());
                         type(contact, "NameEdit", "");
                         press(contact, "ContinueBtn");
                     },
                     [&](TNVForm& details) {
                         details_seen = details.Edit("DetailsMemo")->Text();
                         press(details, "ContinueBtn");
                     }};
    EXPECT_EQ(run("SaveAssistant"), TAssistantResult::Done);
    EXPECT_EQ(email_seen, "anna@example.com");
    EXPECT_EQ(details_seen, "I pressed Calculate.\r\nThen it failed.");
    EXPECT_EQ(report_->Fields()->Find("contact name"), std::nullopt);  // emptied by the user
}

TEST_F(ReportAssistants, CancelSkipAndUnknownNames) {
    EXPECT_EQ(run("PrintAssistant"), TAssistantResult::NotShown);
    EXPECT_TRUE(host_.shown.empty());

    host_.scripts = {[](TNVForm& contact) { press(contact, "CancelBtn"); }};
    EXPECT_EQ(run("SendAssistant"), TAssistantResult::Cancelled);
    EXPECT_EQ(host_.shown, Pages{"ContactForm"});
    EXPECT_EQ(report_->Fields()->Count(), 3);

    // A skipped page puts nothing in, though the other pages do.
    host_.shown.clear();
    host_.scripts = {[](TNVForm& contact) {
                         type(contact, "EmailEdit", "bo@example.com");
                         press(contact, "ContinueBtn");
                     },
                     [](TNVForm& details) {
                         details.SkipBtn()->SetEnabled(true);
                         type(details, "DetailsMemo", "typed, then skipped");
                         press(details, "SkipBtn");
                     }};
    EXPECT_EQ(run("SendAssistant"), TAssistantResult::Done);
    EXPECT_EQ(report_->Fields()->Find("contact email"), "bo@example.com");
    EXPECT_EQ(report_->Sections()->Count(), 0);
    EXPECT_EQ(report_->Get(keys::MailFrom), "");  // no name, no sender
}

TEST_F(ReportAssistants, ContactPageChecksTheAddressAndRemembersTheContact) {
    bool blocked_without_at = false, blocked_invalid = false;
    host_.scripts = {[&](TNVForm& contact) {
        type(contact, "EmailEdit", "anna.example.com");
        blocked_without_at = contact.ContinueBtn()->ForcedDisabled() && !contact.Edit("EmailEdit")->Valid();
        press(contact, "ContinueBtn");  // does nothing
        type(contact, "EmailEdit", "anna@example.");
        blocked_invalid = contact.ContinueBtn()->ForcedDisabled();
        type(contact, "NameEdit", "Anna");
        type(contact, "EmailEdit", "anna@example.com");
        press(contact, "MemCheck");
        press(contact, "ContinueBtn");
    }};
    ASSERT_EQ(run("SaveAssistant"), TAssistantResult::Done);
    EXPECT_TRUE(blocked_without_at);
    EXPECT_TRUE(blocked_invalid);
    EXPECT_EQ(memory_.values, (std::map<std::string, std::string>{{"RememberEmail", "anna@example.com"},
                                                                    {"RememberName", "Anna"}}));

    // Shown again (for another report): filled from the memory, ticked, Continue focused;
    // unticking forgets both values.
    report_ = world_.report(ekNormal, testing::exception_of({"Exception"}));
    host_.shown.clear();
    bool filled = false;
    host_.scripts = {[&](TNVForm& contact) {
        filled = contact.Edit("NameEdit")->Text() == "Anna" && contact.Edit("EmailEdit")->Text() == "anna@example.com" &&
                 contact.CheckBox("MemCheck")->Checked() && !contact.ContinueBtn()->ForcedDisabled();
        press(contact, "MemCheck");
        press(contact, "ContinueBtn");
    }};
    ASSERT_EQ(run("SaveAssistant"), TAssistantResult::Done);
    EXPECT_TRUE(filled);
    EXPECT_TRUE(memory_.values.empty());
}

// The editor as the screenshot page sees it: a file in memory that a test changes.
class FakeEditing final : public ScreenshotEditing {
public:
    std::map<std::string, std::pair<std::uint64_t, std::shared_ptr<INVBitmap>>> files;
    std::vector<std::string> log;
    bool running = false, can_start = true;

    std::string FilePath() override { return "T:\\screenShot.bmp"; }
    bool Write(const std::string& path, const INVBitmap& picture) override {
        log.push_back("write");
        files[path] = {1, std::make_shared<TINVBitmap>(picture.Pixels())};
        return true;
    }
    std::optional<std::uint64_t> FileTime(const std::string& path) override {
        const auto f = files.find(path);
        return f == files.end() ? std::nullopt : std::optional(f->second.first);
    }
    std::shared_ptr<INVBitmap> Load(const std::string& path) override { return files.at(path).second; }
    bool StartEditor(const std::string&) override {
        log.push_back("edit");
        running = can_start;
        return can_start;
    }
    bool EditorRunning() override { return running; }
    void ReleaseEditor() override { log.push_back("release"); }
    void Delete(const std::string& path) override {
        log.push_back("delete");
        files.erase(path);
    }
    void Beep() override { log.push_back("beep"); }
};

TEST_F(ReportAssistants, TheScreenshotPageShowsEditsAndTakesBackTheEditedPicture) {
    FakeEditing editing;
    SetScreenshotEditing(&editing);
    report_->SetScreenshot(std::make_shared<TINVBitmap>(PixelImage(64, 24, rgb_pixel(0, 0, 255))));
    const std::shared_ptr<INVBitmap> edited = std::make_shared<TINVBitmap>(PixelImage(32, 24, rgb_pixel(255, 0, 0)));
    std::uint32_t shown_centre = 0, shown_after_edit = 0, shown_corner = 0;
    host_.scripts = {[](TNVForm& contact) {
                         type(contact, "EmailEdit", "anna@example.com");
                         press(contact, "ContinueBtn");
                     },
                     [](TNVForm& details) {
                         type(details, "DetailsMemo", "x");
                         press(details, "ContinueBtn");
                     },
                     [&](TNVForm& page) {
                         const auto image = page.Image("ScrShotImg");
                         shown_centre = image->Bitmap()->at(160, 120);
                         shown_corner = image->Bitmap()->at(0, 0);  // a wide picture leaves room above
                         press(page, "ScrShotImg");
                         press(page, "ScrShotImg");  // the editor still runs: nothing
                         page.TimerTick();            // the file is unchanged: nothing
                         editing.running = false;
                         editing.files.begin()->second = {2, edited};  // the editor saved
                         page.TimerTick();
                         shown_after_edit = image->Bitmap()->at(160, 120);
                         press(page, "ScrShotImg");  // the file is there: only the editor again
                         press(page, "AttachCheck");
                         press(page, "ContinueBtn");
                     }};
    ASSERT_EQ(run("SendAssistant"), TAssistantResult::Done);
    SetScreenshotEditing(nullptr);
    EXPECT_EQ(host_.shown, (Pages{"ContactForm", "DetailsForm", "ScrShotForm"}));
    EXPECT_EQ(shown_centre, rgb_pixel(0, 0, 255));
    EXPECT_EQ(shown_corner, kScreenshotMargin);
    EXPECT_EQ(shown_after_edit, rgb_pixel(255, 0, 0));
    EXPECT_EQ(report_->Screenshot(), edited);
    EXPECT_FALSE(report_->AppendScreenshot());
    EXPECT_EQ(editing.log, (std::vector<std::string>{"write", "edit", "edit", "release", "delete"}));
    EXPECT_TRUE(editing.files.empty());
}

TEST_F(ReportAssistants, TheScreenshotPageBeepsWhenNothingOpensThePicture) {
    FakeEditing editing;
    editing.can_start = false;
    SetScreenshotEditing(&editing);
    report_->SetScreenshot(std::make_shared<TINVBitmap>(PixelImage(8, 8, 0)));
    const std::shared_ptr<TNVAssistant> assistant = BuildAssistant("Send", {"ScrShotForm"}, resources_, {});
    TNVForm& page = static_cast<TNVForm&>(*assistant->Form(0));
    INXException* seen = report_.get();
    page.SetException(seen);
    page.Shown();
    press(page, "ScrShotImg");
    page.SetModalResult(mrCancel);
    page.Closing();
    SetScreenshotEditing(nullptr);
    EXPECT_EQ(editing.log, (std::vector<std::string>{"write", "edit", "beep", "release", "delete"}));
    EXPECT_TRUE(report_->AppendScreenshot());
}

TEST(FitPicture, KeepsTheProportionsAndCentres) {
    const TINVBitmap tall(PixelImage(10, 40, rgb_pixel(0, 128, 0)));
    const PixelImage fitted = FitPicture(tall, 40, 20, rgb_pixel(1, 2, 3));
    ASSERT_EQ(fitted.width, 40);
    ASSERT_EQ(fitted.height, 20);
    // 5 wide in the middle (17..21), background around it.
    std::string row;
    for (int x = 0; x < 40; ++x) row += fitted.at(x, 10) == rgb_pixel(1, 2, 3) ? '.' : '#';
    EXPECT_EQ(row, std::string(17, '.') + std::string(5, '#') + std::string(18, '.'));
    EXPECT_TRUE(FitPicture(tall, 0, 20, 0).empty());
}

}  // namespace
}  // namespace roadsum
