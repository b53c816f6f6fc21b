#include "crash/assistants/install_assistants_win32.h"

#include <windows.h>

#include "crash/assistants/contact_memory_win32.h"
#include "crash/assistants/report_assistant.h"
#include "crash/assistants/screenshot_editing_win32.h"
#include "crash/capture/capture_win32.h"
#include "crash/pages/page_resources_win32.h"

namespace roadsum {
namespace {

// A topmost owner would stay above the pages it owns; it is topmost again afterwards.
class TopmostDropped {
public:
    explicit TopmostDropped(HWND window)
        : window_(window && (GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST) ? window : nullptr) {
        if (window_) place(HWND_NOTOPMOST);
    }
    ~TopmostDropped() {
        if (window_) place(HWND_TOPMOST);
    }
    TopmostDropped(const TopmostDropped&) = delete;
    TopmostDropped& operator=(const TopmostDropped&) = delete;

private:
    void place(HWND after) const { SetWindowPos(window_, after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE); }
    HWND window_;
};

}  // namespace

TAssistantResult ShowReportAssistant(TCrashException& report, const std::string& name, void* owner,
                                     std::uintptr_t module) {
    const std::shared_ptr<TNVAssistant> assistant =
        PrepareReportAssistant(report, name, [module](const AssistantDefinition& definition) {
            return LoadAssistant(module, definition.caption, definition.pages);
        });
    if (!assistant) return TAssistantResult::NotShown;
    int result;
    {
        TopmostDropped dropped(static_cast<HWND>(owner));
        result = assistant->ShowModal(reinterpret_cast<std::uintptr_t>(owner));
    }
    return FinishReportAssistant(report, *assistant, result);
}

void InstallAssistants() {
    static RegistryContactMemory memory;
    static ShellScreenshotEditing editing;
    SetContactMemory(&memory);
    SetScreenshotEditing(&editing);
    RegisterBuiltInPageHandler(kContactFormHandler, HandleContactForm);
    RegisterBuiltInPageHandler(kScreenshotFormHandler, HandleScreenshotForm);
    SetAssistantRunner([](TCrashException& report, const std::string& name, void* owner) {
        return ShowReportAssistant(report, name, owner, report.Module());
    });
}

}  // namespace roadsum
