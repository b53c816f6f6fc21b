// An assistant run for a report: found by name in the report's settings, built from its page
// resources with what earlier assistants of the report kept, shown, and its pages' contents
// put into the report.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "crash/capture/crash_exception.h"
#include "crash/capture/handling_flow.h"
#include "crash/pages/nv_assistant.h"

namespace roadsum {

// Builds the pages of a found assistant (from the resources of the report's module on Windows).
using AssistantLoader = std::function<std::shared_ptr<TNVAssistant>(const AssistantDefinition& definition)>;

// The named assistant ready to show: null when the settings define none of that name or none
// of its pages could be read. Its pages' handlers receive the report (as INXException*), which
// the assistant keeps alive.
std::shared_ptr<TNVAssistant> PrepareReportAssistant(TCrashException& report, const std::string& name,
                                                     const AssistantLoader& load);

// After the assistant was shown with `result` (a modal result): Cancelled when it was
// cancelled; otherwise the pages' contents go into the report and its page cache, and Done.
TAssistantResult FinishReportAssistant(TCrashException& report, const INVAssistant& assistant, int result);

// What a page handler receives as its exception argument.
inline INXException* ReportOfHandler(void* exception) { return static_cast<INXException*>(exception); }

}  // namespace roadsum
