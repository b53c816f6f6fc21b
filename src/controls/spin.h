// The spin edit: a whole-number field with up and down arrows inside its right edge. Its
// value lives only as text; limits apply on the arrows, the arrow keys and on leaving the
// field, never while the user types.
#pragma once

#include <cstdint>
#include <memory>

#include "toolkit/speed_button.h"
#include "toolkit/stdctrls.h"
#include "toolkit/timer.h"

namespace roadsum {

// One arrow: a speed button that repeats its click while held.
class TTimerSpeedButton : public TSpeedButton {
public:
    using TSpeedButton::TSpeedButton;
    ~TTimerSpeedButton() override;

    bool FocusRect() const { return focus_rect_; }
    void SetFocusRect(bool value);
    bool AllowTimer() const { return allow_timer_; }
    void SetAllowTimer(bool value) { allow_timer_ = value; }
    // The repeat timer, from the first press on; null before.
    TTimer* RepeatTimer() const { return repeat_timer_.get(); }

    void Paint(TCanvas& canvas) override;
    void MouseDown(TMouseButton button, UINT keys, int x, int y) override;
    void MouseUp(TMouseButton button, UINT keys, int x, int y) override;

private:
    void TimerExpired();

    std::unique_ptr<TTimer> repeat_timer_;
    bool focus_rect_ = false;
    bool allow_timer_ = false;
};

// The pair of arrows.
class TSpinButton : public TWinControl {
public:
    explicit TSpinButton(TWinControl* parent);

    TTimerSpeedButton* UpButton() const { return up_; }
    TTimerSpeedButton* DownButton() const { return down_; }
    TTimerSpeedButton* FocusedButton() const { return focused_; }
    TWinControl* FocusControl() const { return focus_control_; }
    void SetFocusControl(TWinControl* control) { focus_control_ = control; }

    void SetUpGlyph(TGlyph glyph) { up_->SetGlyph(std::move(glyph)); }
    void SetDownGlyph(TGlyph glyph) { down_->SetGlyph(std::move(glyph)); }
    void SetUpNumGlyphs(int n) { up_->SetNumGlyphs(n); }
    void SetDownNumGlyphs(int n) { down_->SetNumGlyphs(n); }

    TNotifyEvent OnUpClick, OnDownClick;

protected:
    void CreateParams(TCreateParams& params) override;
    LRESULT WndProc(UINT message, WPARAM wparam, LPARAM lparam) override;
    void KeyDown(WORD& key, UINT shift) override;
    void Resize() override { AdjustSize(); }
    void BoundsChanged() override { AdjustSize(); }

private:
    void AdjustSize();
    void SetFocusBtn(TTimerSpeedButton* button);
    void BtnMouseDown(TObject* sender, TMouseButton button);
    void BtnClick(TObject* sender);

    TTimerSpeedButton* up_ = nullptr;
    TTimerSpeedButton* down_ = nullptr;
    TTimerSpeedButton* focused_ = nullptr;
    TWinControl* focus_control_ = nullptr;
};

class TSpinEdit : public TCustomEdit {
public:
    explicit TSpinEdit(TWinControl* parent);

    std::int32_t MinValue() const { return min_value_; }
    void SetMinValue(std::int32_t v) { min_value_ = v; }
    std::int32_t MaxValue() const { return max_value_; }
    void SetMaxValue(std::int32_t v) { max_value_ = v; }
    std::int32_t Increment() const { return increment_; }
    void SetIncrement(std::int32_t v) { increment_ = v; }
    bool EditorEnabled() const { return editor_enabled_; }
    void SetEditorEnabled(bool v) { editor_enabled_ = v; }

    // The text read as a whole number; MinValue when it does not read.
    std::int32_t Value() const;
    // Clamps and writes the text.
    void SetValue(std::int32_t value);
    std::int32_t ClampValue(std::int32_t value) const;

    TSpinButton* Button() const { return button_; }

    virtual bool AcceptsChar(char key) const;
    virtual void StepUp(TObject* Sender);
    virtual void StepDown(TObject* Sender);

    // The least height that shows the text whole.
    int MinHeight() const;
    void SetBounds(int left, int top, int width, int height) override;

protected:
    void CreateParams(TCreateParams& params) override;
    LRESULT WndProc(UINT message, WPARAM wparam, LPARAM lparam) override;
    void AfterCreateHandle() override;
    void KeyDown(WORD& key, UINT shift) override;
    void KeyPress(char& key) override;
    void DoExit() override;
    void Resize() override { Layout(); }

private:
    void Layout();
    void SetEditRect();
    void Step(std::int64_t delta);

    TSpinButton* button_ = nullptr;
    std::int32_t min_value_ = 0, max_value_ = 0, increment_ = 1;
    bool editor_enabled_ = true;
};

}  // namespace roadsum
