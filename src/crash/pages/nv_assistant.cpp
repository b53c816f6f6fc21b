#include "crash/pages/nv_assistant.h"

#include <utility>

#include "crash/common/text_lists.h"
#include "crash/pages/form_resource.h"

namespace roadsum {
namespace {

AssistantHook& created_hook() {
    static AssistantHook hook;
    return hook;
}

}  // namespace

std::shared_ptr<INVForm> TNVAssistant::Form(int index) const {
    if (index < 0 || index >= FormCount()) return nullptr;
    return forms_[static_cast<std::size_t>(index)];
}

std::shared_ptr<INVForm> TNVAssistant::Form(std::string_view name) const {
    for (const auto& form : forms_)
        if (equal_ignoring_case(form->Name(), name)) return form;
    return nullptr;
}

int TNVAssistant::ShowModal(std::uintptr_t owner) {
    PageHost* host = CurrentPageHost();
    // One disabling for all pages, so that the owner does not light up between them.
    const bool was_enabled = host && host->disable_owner(owner);
    int result = mrContinue;
    for (std::size_t i = 0; i < forms_.size(); ++i) {
        TNVForm& form = *forms_[i];
        form.SetTitle(title_);
        form.SetPage(static_cast<int>(i) + 1, FormCount());
        form.SetException(exception_.get());
        if (form.ShowModal(owner) == mrCancel) {
            result = mrCancel;
            break;
        }
    }
    if (was_enabled) host->enable_owner(owner);
    return result;
}

std::shared_ptr<TNVAssistant> BuildAssistant(const std::string& title, const std::vector<std::string>& form_names,
                                             const FormResources& resources, const ResourceErrorSink& errors) {
    auto assistant = std::make_shared<TNVAssistant>(title);
    for (const std::string& name : form_names) {
        const std::optional<std::vector<std::uint8_t>> data = resources.find(form_resource_name(name));
        if (!data) continue;
        FormReadResult read = read_form_resource(*data, name);
        if (read.form)
            assistant->AddForm(std::move(read.form));
        else if (errors)
            errors(read.error, kReporterCaption);
    }
    if (const AssistantHook& hook = created_hook()) hook(*assistant);
    return assistant;
}

AssistantHook SetAssistantCreatedHook(AssistantHook hook) { return std::exchange(created_hook(), std::move(hook)); }

}  // namespace roadsum
