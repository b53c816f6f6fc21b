#include "controls/spin.h"

#include <algorithm>
#include <limits>
#include <string>

#include "runtime/convert.h"
#include "runtime/regional_formats.h"
#include "toolkit/beep.h"

namespace roadsum {

// ---- TTimerSpeedButton

TTimerSpeedButton::~TTimerSpeedButton() = default;

void TTimerSpeedButton::SetFocusRect(bool value) {
    if (value == focus_rect_) return;
    focus_rect_ = value;
    Invalidate();
}

void TTimerSpeedButton::Paint(TCanvas& canvas) {
    TSpeedButton::Paint(canvas);
    if (!focus_rect_) return;
    RECT r = ClientRect();
    InflateRect(&r, -3, -3);
    if (State() == TButtonState::bsDown) OffsetRect(&r, 1, 1);
    DrawFocusRect(canvas.Handle(), &r);
}

void TTimerSpeedButton::MouseDown(TMouseButton button, UINT keys, int x, int y) {
    TSpeedButton::MouseDown(button, keys, x, y);
    if (!allow_timer_ || button != TMouseButton::mbLeft || !Enabled()) return;
    if (!repeat_timer_) {
        repeat_timer_ = std::make_unique<TTimer>();
        repeat_timer_->SetEnabled(false);
        repeat_timer_->OnTimer = [this](TObject*) { TimerExpired(); };
    }
    repeat_timer_->SetInterval(400);  // the first repeat waits longer
    repeat_timer_->SetEnabled(true);
}

void TTimerSpeedButton::MouseUp(TMouseButton button, UINT keys, int x, int y) {
    TSpeedButton::MouseUp(button, keys, x, y);
    if (repeat_timer_) repeat_timer_->SetEnabled(false);
}

void TTimerSpeedButton::TimerExpired() {
    repeat_timer_->SetInterval(100);
    // Off the arrow the repeat pauses; the timer keeps running until the release.
    if (State() == TButtonState::bsDown && MouseCapture()) {
        try {
            Click();
        } catch (...) {
            repeat_timer_->SetEnabled(false);
            throw;
        }
    }
}

// ---- TSpinButton

TSpinButton::TSpinButton(TWinControl* parent) : TWinControl(parent) {
    SetBounds(0, 0, 20, 25);
    up_ = Add<TTimerSpeedButton>();
    down_ = Add<TTimerSpeedButton>();
    for (TTimerSpeedButton* b : {up_, down_}) {
        b->SetAllowTimer(true);
        b->OnClick = [this](TObject* sender) { BtnClick(sender); };
        b->OnMouseDown = [this](TObject* sender, TMouseButton button, UINT, int, int) { BtnMouseDown(sender, button); };
    }
    up_->SetGlyph(TGlyph::FromResource("SpinUp"));
    down_->SetGlyph(TGlyph::FromResource("SpinDown"));
    focused_ = up_;
    AdjustSize();
}

void TSpinButton::CreateParams(TCreateParams& params) {
    TWinControl::CreateParams(params);
    params.ClassName = "TSpinButton";
}

void TSpinButton::AdjustSize() {
    if (!up_ || !down_) return;  // still being made
    int width = std::max(Width(), 15);
    int up_height = Height() / 2;
    up_->SetBounds(0, 0, width, up_height);
    down_->SetBounds(0, up_height - 1, width, Height() - up_height + 1);
    if (width != Width()) SetBounds(Left(), Top(), width, Height());
}

void TSpinButton::SetFocusBtn(TTimerSpeedButton* button) {
    if (!TabStop() || !CanFocus() || button == focused_) return;
    focused_->SetFocusRect(false);
    focused_ = button;
    if (Focused()) focused_->SetFocusRect(true);
}

void TSpinButton::BtnMouseDown(TObject* sender, TMouseButton button) {
    if (button != TMouseButton::mbLeft) return;
    SetFocusBtn(static_cast<TTimerSpeedButton*>(sender));
    if (focus_control_ && focus_control_->TabStop() && focus_control_->CanFocus() && !focus_control_->Focused())
        focus_control_->SetFocus();
    else if (TabStop() && !Focused() && CanFocus())
        SetFocus();
}

void TSpinButton::BtnClick(TObject* sender) {
    if (sender == up_) {
        if (OnUpClick) OnUpClick(this);
    } else if (OnDownClick) {
        OnDownClick(this);
    }
}

void TSpinButton::KeyDown(WORD& key, UINT) {
    switch (key) {
        case VK_UP:
            SetFocusBtn(up_);
            up_->Click();
            break;
        case VK_DOWN:
            SetFocusBtn(down_);
            down_->Click();
            break;
        case VK_SPACE:
            focused_->Click();
            break;
    }
}

LRESULT TSpinButton::WndProc(UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_GETDLGCODE:
            return DLGC_WANTARROWS;
        case WM_SETFOCUS:
            focused_->SetFocusRect(true);
            break;
        case WM_KILLFOCUS:
            focused_->SetFocusRect(false);
            break;
    }
    return TWinControl::WndProc(message, wparam, lparam);
}

// ---- TSpinEdit

TSpinEdit::TSpinEdit(TWinControl* parent) : TCustomEdit(parent) {
    button_ = Add<TSpinButton>();
    button_->SetBounds(0, 0, 15, 17);
    button_->SetFocusControl(this);
    button_->OnUpClick = [this](TObject* sender) { StepUp(sender); };
    button_->OnDownClick = [this](TObject* sender) { StepDown(sender); };
    SetText("0");
}

void TSpinEdit::CreateParams(TCreateParams& params) {
    TCustomEdit::CreateParams(params);
    // A multi-line edit lets the text rectangle be narrowed to leave room for the arrows.
    params.Style |= ES_MULTILINE | WS_CLIPCHILDREN;
}

void TSpinEdit::AfterCreateHandle() {
    TCustomEdit::AfterCreateHandle();
    Layout();
}

std::int32_t TSpinEdit::Value() const {
    std::string text = Text();
    std::string_view digits = text;
    bool negative = false;
    if (!digits.empty() && (digits[0] == '+' || digits[0] == '-')) {
        negative = digits[0] == '-';
        digits.remove_prefix(1);
    }
    // The magnitude of INT32_MIN does not fit the positive range, so read it apart.
    if (negative && digits == "2147483648") return std::numeric_limits<std::int32_t>::min();
    auto value = text_to_int(digits);
    if (!value) return min_value_;
    return negative ? -*value : *value;
}

std::int32_t TSpinEdit::ClampValue(std::int32_t value) const {
    if (min_value_ == max_value_) return value;
    return std::clamp(value, min_value_, std::max(min_value_, max_value_));
}

void TSpinEdit::SetValue(std::int32_t value) { SetText(std::to_string(ClampValue(value))); }

void TSpinEdit::Step(std::int64_t delta) {
    if (ReadOnly()) {
        PlainBeep();
        return;
    }
    // Past the 32-bit range the value stays at its end rather than wrapping round.
    std::int64_t next = std::clamp<std::int64_t>(static_cast<std::int64_t>(Value()) + delta,
                                                 std::numeric_limits<std::int32_t>::min(),
                                                 std::numeric_limits<std::int32_t>::max());
    SetValue(static_cast<std::int32_t>(next));
}

void TSpinEdit::StepUp(TObject*) { Step(increment_); }

void TSpinEdit::StepDown(TObject*) { Step(-static_cast<std::int64_t>(increment_)); }

bool TSpinEdit::AcceptsChar(char key) const {
    const char decimal = user_regional_formats().decimal_separator;
    unsigned char c = static_cast<unsigned char>(key);
    // A line break has no place in a one-line field, whichever key made it.
    bool control = c < 32 && c != '\r' && c != '\n';
    bool accepted = (c >= '0' && c <= '9') || c == '+' || c == '-' || key == decimal || control;
    if (!editor_enabled_) accepted = control && c != '\b';
    return accepted;
}

void TSpinEdit::KeyDown(WORD& key, UINT shift) {
    if (key == VK_UP) StepUp(this);
    if (key == VK_DOWN) StepDown(this);
    TCustomEdit::KeyDown(key, shift);
}

void TSpinEdit::KeyPress(char& key) {
    if (!AcceptsChar(key)) {
        key = 0;
        PlainBeep();
    }
    TCustomEdit::KeyPress(key);
}

void TSpinEdit::DoExit() {
    std::int32_t value = Value();
    if (ClampValue(value) != value) SetValue(value);
    TCustomEdit::DoExit();
}

int TSpinEdit::MinHeight() const {
    const ClientDC screen(nullptr);
    TEXTMETRICA system{}, own{};
    {
        const SelectObjectScope font(screen.get(), GetStockObject(SYSTEM_FONT));
        GetTextMetricsA(screen.get(), &system);
    }
    {
        const SelectObjectScope font(screen.get(), Font().Handle());
        GetTextMetricsA(screen.get(), &own);
    }
    int smaller = std::min(system.tmHeight, own.tmHeight);
    return own.tmHeight + smaller / 4 + GetSystemMetrics(SM_CYBORDER) * 4 + 2;
}

void TSpinEdit::SetBounds(int left, int top, int width, int height) {
    TCustomEdit::SetBounds(left, top, width, std::max(height, MinHeight()));
}

void TSpinEdit::Layout() {
    if (!HandleAllocated() || !button_) return;
    if (const int least = MinHeight(); Height() < least) {
        SetBounds(Left(), Top(), Width(), least);
        return;
    }
    int w = button_->Width();
    if (Ctl3D() && BorderStyle() == TBorderStyle::bsSingle)
        button_->SetBounds(Width() - w - 5, 0, w, Height() - 5);
    else
        button_->SetBounds(Width() - w, 1, w, Height() - 3);
    SetEditRect();
}

void TSpinEdit::SetEditRect() {
    RECT r = {0, 0, ClientWidth() - button_->Width() - 2, ClientHeight() + 1};
    SendMessageA(Handle(), EM_SETRECTNP, 0, reinterpret_cast<LPARAM>(&r));
}

LRESULT TSpinEdit::WndProc(UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_GETDLGCODE:
            // Arrows and characters, but Tab and Enter are not the field's.
            return DLGC_WANTARROWS | DLGC_WANTCHARS | DLGC_HASSETSEL;
        case WM_PASTE:
        case WM_CUT:
            if (!editor_enabled_ || ReadOnly()) return 0;
            break;
    }
    return TCustomEdit::WndProc(message, wparam, lparam);
}

}  // namespace roadsum
