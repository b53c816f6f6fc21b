#include "crash/pages/nv_form.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "crash/pages/form_resource.h"
#include "crash/pages/nv_assistant.h"
#include "shipped_pages.h"

namespace roadsum {
namespace {

// What the handler saw: one line per event.
std::vector<std::string> g_events;
int g_veto_action = 0;  // a handler that keeps the page on this action of a standard button

void NV_HANDLER_CALL record(INVForm* form, int action, INVItem* item, void* exception) {
    g_events.push_back(std::to_string(action) + " " + (item ? item->Name() : "-") +
                       (exception ? " with report" : ""));
    if (action == nvaItemEvent && item && g_veto_action == form->ModalResult()) form->SetModalResult(mrNone);
}

void NV_HANDLER_CALL throwing(INVForm*, int, INVItem*, void*) { throw std::runtime_error("handler fault"); }

class FormEvents : public ::testing::Test {
protected:
    FormEvents() {
        g_events.clear();
        g_veto_action = 0;
        form_ = testing::shipped_page("ContactForm", "contact_form.txt");
        form_->SetOnAction(record);
    }
    TNVItem& item(const char* name) {
        for (const auto& i : form_->Items())
            if (i->Name() == name) return *i;
        throw std::logic_error(name);
    }
    std::shared_ptr<TNVForm> form_;
};

TEST_F(FormEvents, AnEmptyRequiredEditKeepsContinueDisabledUntilACharacterIsTyped) {
    auto& email = static_cast<TNVEdit&>(item("EmailEdit"));
    EXPECT_FALSE(form_->ContinueAllowed());
    EXPECT_TRUE(form_->ContinueBtn()->ForcedDisabled());
    form_->Press(item("ContinueBtn"));  // a disabled button does nothing
    EXPECT_EQ(form_->ModalResult(), mrNone);

    form_->EditTyped(email, "a");
    EXPECT_FALSE(form_->ContinueBtn()->ForcedDisabled());
    EXPECT_EQ(g_events, std::vector<std::string>{"3 EmailEdit"});
    email.SetValid(false);  // the handler's verdict counts as well
    EXPECT_TRUE(form_->ContinueBtn()->ForcedDisabled());
    email.SetValid(true);
    form_->EditTyped(email, "");
    EXPECT_TRUE(form_->ContinueBtn()->ForcedDisabled());
    email.SetOptional(true);
    EXPECT_FALSE(form_->ContinueBtn()->ForcedDisabled());
    EXPECT_TRUE(form_->ContinueBtn()->Enabled());  // its own property stays as it was
}

TEST_F(FormEvents, ItemsRaiseTheirEvents) {
    form_->Shown();
    form_->Press(item("MemCheck"));
    EXPECT_TRUE(form_->CheckBox("MemCheck")->Checked());
    form_->Press(item("NameLabel"));  // labels raise nothing
    form_->Press(item("SkipBtn"));    // disabled
    form_->TimerTick();
    auto image = std::dynamic_pointer_cast<TNVImage>(form_->AddItem(NVItemKind::image, "Shot"));
    form_->Press(*image);  // not clickable
    image->SetClickable(true);
    form_->Press(*image);
    form_->Press(*form_->AddItem(NVItemKind::button, "Extra"));
    form_->SetException(reinterpret_cast<void*>(0x1234));
    form_->Closing();
    EXPECT_EQ(g_events, (std::vector<std::string>{"1 -", "3 MemCheck", "3 -", "3 Shot", "3 Extra", "2 - with report"}));
    EXPECT_EQ(form_->ModalResult(), mrNone);
}

TEST_F(FormEvents, TheThreeButtonsEndThePageUnlessTheHandlerKeepsIt) {
    form_->EditTyped(static_cast<TNVEdit&>(item("EmailEdit")), "me@example.com");
    g_events.clear();
    form_->Press(item("ContinueBtn"));
    EXPECT_EQ(form_->ModalResult(), mrContinue);
    EXPECT_EQ(g_events, std::vector<std::string>{"3 ContinueBtn"});

    form_->SetModalResult(mrNone);
    g_veto_action = mrCancel;
    form_->Press(item("CancelBtn"));
    EXPECT_EQ(form_->ModalResult(), mrNone);

    g_veto_action = 0;
    form_->PressEscape();
    EXPECT_EQ(form_->ModalResult(), mrCancel);
    form_->SetModalResult(mrNone);
    form_->CancelBtn()->SetEnabled(false);
    form_->PressEscape();  // Escape is Cancel only while Cancel is enabled
    EXPECT_EQ(form_->ModalResult(), mrNone);
    form_->SystemClose();
    EXPECT_EQ(form_->ModalResult(), mrCancel);

    form_->SetModalResult(mrNone);
    form_->SkipBtn()->SetEnabled(true);
    form_->Press(item("SkipBtn"));
    EXPECT_EQ(form_->ModalResult(), mrSkip);
}

TEST_F(FormEvents, AFailingHandlerDoesNotEscape) {
    form_->SetOnAction(throwing);
    form_->Shown();
    form_->Press(item("MemCheck"));
    EXPECT_TRUE(form_->CheckBox("MemCheck")->Checked());
}

// Answers every page with the next of its results and notes what it was shown.
class ScriptedHost final : public PageHost {
public:
    explicit ScriptedHost(std::vector<int> results) : results_(std::move(results)) {}
    int run_modal(TNVForm& form, std::uintptr_t owner) override {
        shown.push_back(form.Name() + " " + std::to_string(form.PageNumber()) + "/" + std::to_string(form.PageCount()) +
                        " " + form.Title() + (owner ? " owned" : ""));
        return results_[shown.size() - 1];
    }
    bool disable_owner(std::uintptr_t) override { return ++disabled, true; }
    void enable_owner(std::uintptr_t) override { ++enabled; }
    std::vector<std::string> shown;
    int disabled = 0, enabled = 0;

private:
    std::vector<int> results_;
};

std::shared_ptr<TNVAssistant> send_assistant() {
    auto a = std::make_shared<TNVAssistant>("Send Assistant");
    a->AddForm(testing::shipped_page("ContactForm", "contact_form.txt"));
    a->AddForm(testing::shipped_page("DetailsForm", "details_form.txt"));
    a->AddForm(testing::shipped_page("ScrShotForm", "scrshot_form.txt"));
    return a;
}

TEST(Assistant, ShowsThePagesInTurnUntilOneIsCancelled) {
    struct Case {
        std::vector<int> results;
        int result;
        std::size_t pages_shown;
    } cases[] = {
        {{mrContinue, mrContinue, mrContinue}, mrContinue, 3},
        {{mrSkip, mrContinue, mrSkip}, mrContinue, 3},
        {{mrContinue, mrCancel, mrContinue}, mrCancel, 2},
        {{mrCancel}, mrCancel, 1},
    };
    for (const Case& c : cases) {
        ScriptedHost host(c.results);
        PageHost* before = SetPageHost(&host);
        const int result = send_assistant()->ShowModal(42);
        SetPageHost(before);
        EXPECT_EQ(result, c.result);
        ASSERT_EQ(host.shown.size(), c.pages_shown);
        EXPECT_EQ(host.shown[0], "ContactForm 1/3 Send Assistant owned");
        if (c.pages_shown == 3) {
            EXPECT_EQ(host.shown[2], "ScrShotForm 3/3 Send Assistant owned");
        }
        EXPECT_EQ(host.disabled, 1);  // once for all pages
        EXPECT_EQ(host.enabled, 1);
    }
    EXPECT_EQ(TNVAssistant("none").ShowModal(), mrContinue);
#ifndef _WIN32
    EXPECT_EQ(send_assistant()->ShowModal(), mrCancel);  // no windows here: nothing confirmed
#endif
}

class FakeResources final : public FormResources {
public:
    std::optional<std::vector<std::uint8_t>> find(const std::string& name) const override {
        if (name == "TNXCONTACTFORM") return write_component_stream(StreamObject{0, 0, "TNXContactForm", "ContactForm", {}, {}});
        if (name == "TNXBROKENFORM") return std::vector<std::uint8_t>{'T', 'P', 'F', '0', 1, 'T', 1, 'B', 7, 'M', 'e', 's', 's', 'a', 'g', 'e', 0x0A};
        return std::nullopt;
    }
};

TEST(Assistant, BuiltFromResourcesWithoutTheMissingAndTheCorruptPages) {
    std::vector<std::string> messages;
    int hooked = 0;
    const AssistantHook before = SetAssistantCreatedHook([&](INVAssistant& a) { hooked += a.FormCount(); });
    const auto a = BuildAssistant("Send Assistant", {"ContactForm", "BrokenForm", "NoSuchForm"}, FakeResources(),
                                  [&](const std::string& text, const std::string& caption) { messages.push_back(caption + ": " + text); });
    SetAssistantCreatedHook(before);
    ASSERT_EQ(a->FormCount(), 1);
    EXPECT_EQ(a->Form(0)->Name(), "ContactForm");
    EXPECT_EQ(a->Form("contactform"), a->Form(0));
    EXPECT_EQ(a->Form(1), nullptr);
    EXPECT_EQ(messages, std::vector<std::string>{"noxExcept: Internal error: Invalid assistant resource ($0A)."});
    EXPECT_EQ(hooked, 1);
}

}  // namespace
}  // namespace roadsum
