#include "toolkit/speed_button.h"

#include <algorithm>

namespace roadsum {

TSpeedButton::TSpeedButton(TWinControl* parent) : TGraphicControl(parent) { SetBounds(0, 0, 23, 22); }

void TSpeedButton::SetGlyph(TGlyph glyph) {
    glyph_ = std::move(glyph);
    Invalidate();
}

void TSpeedButton::SetNumGlyphs(int value) {
    value = std::clamp(value, 1, 4);
    if (value == num_glyphs_) return;
    num_glyphs_ = value;
    Invalidate();
}

void TSpeedButton::SetFlat(bool value) {
    if (value == flat_) return;
    flat_ = value;
    Invalidate();
}

void TSpeedButton::SetState(TButtonState state) {
    if (state == state_) return;
    state_ = state;
    Invalidate();
}

void TSpeedButton::EnabledChanged() {
    SetState(Enabled() ? TButtonState::bsUp : TButtonState::bsDisabled);
}

void TSpeedButton::Paint(TCanvas& canvas) {
    RECT r = ClientRect();
    bool down = state_ == TButtonState::bsDown || state_ == TButtonState::bsExclusive;
    canvas.SetBrush(clBtnFace);
    canvas.FillRect(r);
    if (!flat_) {
        DrawFrameControl(canvas.Handle(), &r, DFC_BUTTON, DFCS_BUTTONPUSH | DFCS_ADJUSTRECT | (down ? DFCS_PUSHED : 0));
    } else if (down || (MouseInside() && Enabled())) {
        DrawEdge(canvas.Handle(), &r, down ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
    }
    if (glyph_.Empty()) return;
    int cell_width = glyph_.Width() / num_glyphs_;
    int x = (Width() - cell_width) / 2, y = (Height() - glyph_.Height()) / 2;
    if (down) ++x, ++y;
    // Cells: up, disabled, down, exclusive; a missing cell falls back to the first.
    int cell = 0;
    if (state_ == TButtonState::bsDisabled) cell = 1;
    if (state_ == TButtonState::bsDown) cell = 2;
    if (state_ == TButtonState::bsExclusive) cell = 3;
    if (cell >= num_glyphs_) cell = 0;
    if (state_ == TButtonState::bsDisabled && num_glyphs_ < 2)
        glyph_.DrawDisabled(canvas.Handle(), x, y, 0, num_glyphs_);
    else
        glyph_.Draw(canvas.Handle(), x, y, cell, num_glyphs_);
}

void TSpeedButton::MouseDown(TMouseButton button, UINT keys, int x, int y) {
    if (button == TMouseButton::mbLeft && Enabled()) {
        dragging_ = true;
        SetState(TButtonState::bsDown);
    }
    TGraphicControl::MouseDown(button, keys, x, y);
}

void TSpeedButton::MouseMove(UINT, int x, int y) {
    if (!dragging_) return;
    SetState(HitTest(x, y) ? TButtonState::bsDown : TButtonState::bsUp);
}

void TSpeedButton::MouseUp(TMouseButton button, UINT, int x, int y) {
    if (button != TMouseButton::mbLeft || !dragging_) return;
    dragging_ = false;
    bool inside = HitTest(x, y);
    SetState(TButtonState::bsUp);
    if (inside) Click();
}

void TSpeedButton::MouseCaptureLost() {
    dragging_ = false;
    SetState(Enabled() ? TButtonState::bsUp : TButtonState::bsDisabled);
}

}  // namespace roadsum
