#include "toolkit/form.h"

#include <algorithm>
#include <cstdio>

#include "toolkit/application.h"
#include "toolkit/stdctrls.h"

namespace roadsum {
namespace {

std::string Hex(COLORREF rgb) {
    char text[8];
    std::snprintf(text, sizeof text, "%02X%02X%02X", GetRValue(rgb), GetGValue(rgb), GetBValue(rgb));
    return text;
}

UINT AutomationMessage() {
    static UINT message = RegisterWindowMessageA(kAutomationMessage);
    return message;
}

}  // namespace

TCustomForm::TCustomForm(std::string window_class) : TWinControl(nullptr), window_class_(std::move(window_class)) {
    SetVisible(false);
    SetBounds(0, 0, 320, 240);
    CreateHandle();
}

TCustomForm::~TCustomForm() = default;

void TCustomForm::CreateParams(TCreateParams& params) {
    TWinControl::CreateParams(params);
    params.ClassName = window_class_;
    params.Style = WS_CLIPCHILDREN;
    switch (border_style_) {
        case TFormBorderStyle::bsNone: params.Style |= WS_POPUP; break;
        case TFormBorderStyle::bsSingle: params.Style |= WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX; break;
        case TFormBorderStyle::bsSizeable: params.Style |= WS_OVERLAPPEDWINDOW; break;
        case TFormBorderStyle::bsDialog:
            params.Style |= WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
            params.ExStyle |= WS_EX_DLGMODALFRAME;
            break;
    }
}

TCustomForm* TCustomForm::FromWindow(HWND window) {
    HWND root = window ? GetAncestor(window, GA_ROOT) : nullptr;
    return dynamic_cast<TCustomForm*>(FromHandle(root));
}

void TCustomForm::Show() {
    if (position_ == TPosition::poScreenCenter) {
        RECT work;
        SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
        SetBounds(work.left + (work.right - work.left - Width()) / 2, work.top + (work.bottom - work.top - Height()) / 2,
                  Width(), Height());
    }
    SetVisible(true);
    ShowWindow(Handle(), SW_SHOW);
    SetForegroundWindow(Handle());
    if (!ActiveControl()) FocusFirstControl();
    UpdateWindow(Handle());
}

void TCustomForm::Close() {
    if (OnClose) OnClose(this);
    SetVisible(false);
    TApplication* app = TApplication::Current();
    if (app && app->MainForm() == this) app->Terminate();
}

TWinControl* TCustomForm::ActiveControl() const {
    HWND focus = GetFocus();
    if (focus && focus != Handle() && IsChild(Handle(), focus)) return FromHandle(focus);
    return last_focus_ && IsWindow(last_focus_) ? FromHandle(last_focus_) : nullptr;
}

void TCustomForm::FocusFirstControl() {
    std::vector<TWinControl*> list;
    GetTabOrderList(list);
    if (!list.empty()) list.front()->SetFocus();
}

void TCustomForm::SelectNext(TWinControl* current, bool forward) {
    std::vector<TWinControl*> list;
    GetTabOrderList(list);
    if (list.empty()) return;
    // The focus may lie on a part of a control (the arrows of a spin edit): use the control.
    auto it = list.end();
    for (TControl* c = current; c && it == list.end(); c = c->Parent())
        it = std::find(list.begin(), list.end(), c);
    std::size_t n = list.size();
    std::size_t next;
    if (it == list.end())
        next = forward ? 0 : n - 1;
    else
        next = (static_cast<std::size_t>(it - list.begin()) + (forward ? 1 : n - 1)) % n;
    list[next]->SetFocus();
}

std::string TCustomForm::QueryControl(const std::string& name, int kind) {
    TControl* c = FindControl(name);
    if (!c) return {};
    auto* win = c->IsWindowed() ? static_cast<TWinControl*>(c) : nullptr;
    char text[160];
    switch (kind) {
        case aqText:
            return win ? win->Text() : c->Caption();
        case aqBounds:
            std::snprintf(text, sizeof text, "%d,%d,%d,%d", c->Left(), c->Top(), c->Width(), c->Height());
            return text;
        case aqScreenRect: {
            POINT p = c->ClientToScreen({0, 0});
            std::snprintf(text, sizeof text, "%ld,%ld,%ld,%ld", p.x, p.y, p.x + c->Width(), p.y + c->Height());
            return text;
        }
        case aqState: {
            auto* box = dynamic_cast<TCheckBox*>(c);
            std::snprintf(text, sizeof text, "%d,%d,%d,%d", c->Visible(), c->Enabled(), win && win->Focused(),
                          box && box->Checked());
            return text;
        }
        case aqFont: {
            const TFont& f = c->Font();
            std::snprintf(text, sizeof text, "%s,%d,%d,%d,%s", f.Name().c_str(), f.Height(), f.Style().Bold,
                          f.Style().Italic, Hex(ColorToRGB(f.Color())).c_str());
            return text;
        }
        case aqHint:
            return c->Hint();
        case aqTabOrder:
            return win ? std::to_string(win->TabOrder()) : "-1";
        case aqParent:
            return c->Parent() ? c->Parent()->Name() : "";
        case aqColor:
            return Hex(ColorToRGB(c->Color()));
    }
    return {};
}

LRESULT TCustomForm::WndProc(UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == AutomationMessage()) {
        char name[256] = {};
        if (!GlobalGetAtomNameA(static_cast<ATOM>(wparam), name, sizeof name)) return 0;
        if (!FindControl(name)) return 0;
        std::string answer = QueryControl(name, static_cast<int>(lparam)).substr(0, 255);
        // An empty answer still needs an atom; a lone blank stands for it.
        return GlobalAddAtomA(answer.empty() ? " " : answer.c_str());
    }
    switch (message) {
        case WM_CLOSE:
            Close();
            return 0;
        case WM_ACTIVATE:
            if (LOWORD(wparam) == WA_INACTIVE) {
                HWND focus = GetFocus();
                if (focus && IsChild(Handle(), focus)) last_focus_ = focus;
            } else if (last_focus_ && IsWindow(last_focus_)) {
                ::SetFocus(last_focus_);
            } else {
                FocusFirstControl();
            }
            return 0;
        case WM_SETFOCUS:
            if (TWinControl* active = ActiveControl()) active->SetFocus();
            return 0;
        case WM_PALETTECHANGED:
            // Only top-level windows hear of it; controls with palettes of their own rebuild.
            if (reinterpret_cast<HWND>(wparam) != Handle()) PaletteChanged();
            return 0;
    }
    return TWinControl::WndProc(message, wparam, lparam);
}

}  // namespace roadsum
