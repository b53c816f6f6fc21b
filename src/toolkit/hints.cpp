#include "toolkit/hints.h"

#include <commctrl.h>

#include "toolkit/win_control.h"

namespace roadsum {

THintManager::~THintManager() {
    if (window_) DestroyWindow(window_);
}

bool THintManager::ToolInfo(TControl* control, TOOLINFOA& info) const {
    info = {};
    info.cbSize = sizeof info;
    if (control->IsWindowed()) {
        auto* win = static_cast<TWinControl*>(control);
        if (!win->HandleAllocated()) return false;
        info.uFlags = TTF_IDISHWND;
        info.hwnd = win->Parent() && win->Parent()->HandleAllocated() ? win->Parent()->Handle() : win->Handle();
        info.uId = reinterpret_cast<UINT_PTR>(win->Handle());
    } else {
        HWND parent = control->ParentHandle();
        if (!parent) return false;
        info.hwnd = parent;
        info.uId = reinterpret_cast<UINT_PTR>(control);
        info.rect = control->BoundsRect();
    }
    return true;
}

void THintManager::Update(TControl* control) {
    Remove(control);
    TOOLINFOA info;
    bool placed = ToolInfo(control, info);
    if (!placed || control->Hint().empty() || !control->Visible()) return;
    if (!window_) {
        window_ = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                                  CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
        if (!window_) return;
    }
    std::string text = control->Hint();
    info.lpszText = text.data();
    if (SendMessageA(window_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&info))) tools_.insert(control);
}

void THintManager::Remove(TControl* control) {
    if (!tools_.erase(control) || !window_) return;
    TOOLINFOA info{};
    info.cbSize = sizeof info;
    // The tool was registered under the same window and id; look them up among the tools.
    int count = static_cast<int>(SendMessageA(window_, TTM_GETTOOLCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        TOOLINFOA t{};
        t.cbSize = sizeof t;
        if (!SendMessageA(window_, TTM_ENUMTOOLSA, i, reinterpret_cast<LPARAM>(&t))) continue;
        if (t.uId == reinterpret_cast<UINT_PTR>(control) ||
            (control->IsWindowed() && (t.uFlags & TTF_IDISHWND) &&
             reinterpret_cast<HWND>(t.uId) == static_cast<TWinControl*>(control)->Handle())) {
            SendMessageA(window_, TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&t));
            break;
        }
    }
}

void THintManager::Relay(const MSG& msg) {
    if (window_ && !tools_.empty()) SendMessageA(window_, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&msg));
}

std::string THintManager::ToolText(TControl* control) const {
    TOOLINFOA info;
    if (!window_ || !tools_.count(control) || !ToolInfo(control, info)) return {};
    char buffer[1024] = {};
    info.lpszText = buffer;
    SendMessageA(window_, TTM_GETTEXTA, sizeof buffer, reinterpret_cast<LPARAM>(&info));
    return buffer;
}

}  // namespace roadsum
