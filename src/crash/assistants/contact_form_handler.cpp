#include "crash/assistants/contact_form_handler.h"

#include <atomic>

#include "crash/assistants/address_check.h"
#include "crash/assistants/report_assistant.h"
#include "crash/common/text_lists.h"

namespace roadsum {
namespace {

std::atomic<ContactMemory*> g_memory{nullptr};

// Remembers nothing, for a platform without a place to keep it.
class NoMemory final : public ContactMemory {
public:
    std::optional<std::string> Name() override { return std::nullopt; }
    std::optional<std::string> Email() override { return std::nullopt; }
    void Remember(const std::string&, const std::string&) override {}
    void Forget() override {}
};

void check_address(INVEdit& email) { email.SetValid(IsValidMailAddress(email.Text())); }

void shown(INVForm& form, ContactMemory& memory) {
    const std::shared_ptr<INVEdit> name = form.Edit("NameEdit"), email = form.Edit("EmailEdit");
    const std::optional<std::string> remembered_name = memory.Name(), remembered_email = memory.Email();
    if ((remembered_name || remembered_email) && name && email) {
        name->SetText(remembered_name.value_or(""));
        email->SetText(remembered_email.value_or(""));
        if (const auto remember = form.CheckBox("MemCheck")) remember->SetChecked(true);
    }
    // Text from the cache or the memory is judged as typed text would be.
    if (email && !email->Text().empty()) check_address(*email);
    const std::shared_ptr<INVButton> next = form.ContinueBtn();
    if ((remembered_name || remembered_email) && next->Enabled() && !next->ForcedDisabled()) next->SetFocus();
}

void closing(INVForm& form, INXException* report, ContactMemory& memory) {
    if (form.ModalResult() != mrContinue) return;
    const std::shared_ptr<INVEdit> name = form.Edit("NameEdit"), email = form.Edit("EmailEdit");
    if (!name || !email) return;
    const std::shared_ptr<INVCheckBox> remember = form.CheckBox("MemCheck");
    if (remember && remember->Checked())
        memory.Remember(name->Text(), email->Text());
    else
        memory.Forget();
    if (report && !name->Text().empty()) report->Set(keys::MailFrom, name->Text() + " <" + email->Text() + ">");
}

}  // namespace

void ContactFormEvent(INVForm& form, int action, INVItem* item, INXException* report, ContactMemory& memory) {
    switch (action) {
        case nvaFormShown: shown(form, memory); break;
        case nvaFormClosing: closing(form, report, memory); break;
        case nvaItemEvent:
            if (item && item->Kind() == NVItemKind::edit && equal_ignoring_case(item->Name(), "EmailEdit"))
                check_address(dynamic_cast<INVEdit&>(*item));
            break;
        default: break;
    }
}

void NV_HANDLER_CALL HandleContactForm(INVForm* form, int action, INVItem* item, void* exception) {
    static NoMemory none;
    ContactMemory* memory = g_memory.load();
    if (form) ContactFormEvent(*form, action, item, ReportOfHandler(exception), memory ? *memory : none);
}

void SetContactMemory(ContactMemory* memory) { g_memory = memory; }

}  // namespace roadsum
