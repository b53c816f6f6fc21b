// A windowless push button with a glyph, as tool bars and spin arrows use: pressed while the
// left button is held over it, clicked on release over it.
#pragma once

#include "toolkit/control.h"
#include "toolkit/glyph.h"

namespace roadsum {

enum class TButtonState { bsUp, bsDisabled, bsDown, bsExclusive };

class TSpeedButton : public TGraphicControl {
public:
    explicit TSpeedButton(TWinControl* parent);

    const TGlyph& Glyph() const { return glyph_; }
    void SetGlyph(TGlyph glyph);
    int NumGlyphs() const { return num_glyphs_; }
    void SetNumGlyphs(int value);  // 1 to 4
    bool Flat() const { return flat_; }
    void SetFlat(bool value);
    TButtonState State() const { return state_; }

    bool Transparent() const override { return false; }
    void Paint(TCanvas& canvas) override;
    void MouseDown(TMouseButton button, UINT keys, int x, int y) override;
    void MouseMove(UINT keys, int x, int y) override;
    void MouseUp(TMouseButton button, UINT keys, int x, int y) override;
    void MouseCaptureLost() override;

protected:
    void SetState(TButtonState state);
    void EnabledChanged() override;
    void MouseEnter() override { Invalidate(); }
    void MouseLeave() override { Invalidate(); }

private:
    TGlyph glyph_;
    int num_glyphs_ = 1;
    bool flat_ = false;
    bool dragging_ = false;
    TButtonState state_ = TButtonState::bsUp;
};

}  // namespace roadsum
