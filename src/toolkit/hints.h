// Hints: one tool-tip window of the platform, with the platform's default timing, holding a
// tool for every control that has a hint.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <set>
#include <string>

namespace roadsum {

class TControl;

class THintManager {
public:
    THintManager() = default;
    THintManager(const THintManager&) = delete;
    THintManager& operator=(const THintManager&) = delete;
    ~THintManager();

    // Adds, moves or removes the tool of a control after its hint, bounds or window changed.
    void Update(TControl* control);
    void Remove(TControl* control);
    // Passes a mouse message on to the tool-tip window.
    void Relay(const MSG& msg);

    HWND Handle() const { return window_; }
    // The text the tool-tip window holds for a control; empty when it has no tool.
    std::string ToolText(TControl* control) const;

private:
    bool ToolInfo(TControl* control, TOOLINFOA& info) const;

    HWND window_ = nullptr;
    std::set<TControl*> tools_;
};

}  // namespace roadsum
