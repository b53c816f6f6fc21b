#include "crash/assistants/report_assistant.h"

#include "crash/assistants/page_contents.h"

namespace roadsum {

std::shared_ptr<TNVAssistant> PrepareReportAssistant(TCrashException& report, const std::string& name,
                                                     const AssistantLoader& load) {
    const std::optional<AssistantDefinition> definition = report.FindAssistant(name);
    if (!definition || definition->pages.empty()) return nullptr;
    std::shared_ptr<TNVAssistant> assistant = load(*definition);
    if (!assistant || assistant->FormCount() == 0) return nullptr;
    FillFromPageCache(*assistant, report);
    // The handlers see the report through the interface; the assistant holds a reference.
    INXException* seen = &report;
    assistant->SetException(std::shared_ptr<void>(seen, [held = Ref<TCrashException>(&report)](void*) {}));
    return assistant;
}

TAssistantResult FinishReportAssistant(TCrashException& report, const INVAssistant& assistant, int result) {
    if (result == mrCancel) return TAssistantResult::Cancelled;
    PutAssistantIntoReport(assistant, *report.Fields(), *report.Sections());
    StoreInPageCache(assistant, report);
    return TAssistantResult::Done;
}

}  // namespace roadsum
