// Top-level windows. A form keeps the focus in its tab order and answers the automation
// query with the state of its named controls.
#pragma once

#include <string>

#include "toolkit/win_control.h"

namespace roadsum {

enum class TPosition { poDesigned, poScreenCenter };
enum class TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog };

// The automation query: a program sends a form the registered message
// "RoadsumQueryControl" with wParam a global atom naming a control and lParam one of these
// kinds; the form answers with a new global atom holding the text (the caller deletes it),
// or 0 when it has no such control. Texts are cut at 255 characters.
enum TAutomationQuery : int {
    aqText = 0,        // label caption, window text of a windowed control
    aqBounds = 1,      // "left,top,width,height" in the parent's client coordinates
    aqScreenRect = 2,  // "left,top,right,bottom" on the screen
    aqState = 3,       // "visible,enabled,focused,checked" as 0 and 1
    aqFont = 4,        // "name,height,bold,italic,RRGGBB"
    aqHint = 5,        // the hint text
    aqTabOrder = 6,    // the tab order within the parent
    aqParent = 7,      // the parent's name
    aqColor = 8,       // the background colour "RRGGBB"
};
inline constexpr char kAutomationMessage[] = "RoadsumQueryControl";

class TCustomForm : public TWinControl {
public:
    explicit TCustomForm(std::string window_class = "TForm");
    ~TCustomForm() override;

    void Show();
    void Close();
    TNotifyEvent OnClose;

    TPosition Position() const { return position_; }
    void SetPosition(TPosition position) { position_ = position; }
    TFormBorderStyle BorderStyle() const { return border_style_; }
    void SetBorderStyle(TFormBorderStyle style) { border_style_ = style; }

    // Moves the focus to the next (or previous) control of the tab order, round again.
    void SelectNext(TWinControl* current, bool forward);
    // The control that has, or last had, the focus.
    TWinControl* ActiveControl() const;
    void FocusFirstControl();

    // The answer to the automation query, as the form gives it to other processes.
    std::string QueryControl(const std::string& name, int kind);

    // The form that holds a window, or null.
    static TCustomForm* FromWindow(HWND window);

protected:
    void CreateParams(TCreateParams& params) override;
    LRESULT WndProc(UINT message, WPARAM wparam, LPARAM lparam) override;

private:
    std::string window_class_;
    TPosition position_ = TPosition::poDesigned;
    TFormBorderStyle border_style_ = TFormBorderStyle::bsSizeable;
    HWND last_focus_ = nullptr;
};

}  // namespace roadsum
