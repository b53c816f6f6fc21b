// The standard controls: panel, label, edit field, check box, push button and the base of
// owner-drawn buttons.
#pragma once

#include <string>

#include "toolkit/win_control.h"

namespace roadsum {

enum class TBevelCut { bvNone, bvLowered, bvRaised };

class TPanel : public TWinControl {
public:
    explicit TPanel(TWinControl* parent);
    TBevelCut BevelOuter() const { return bevel_outer_; }
    void SetBevelOuter(TBevelCut bevel);

protected:
    void CreateParams(TCreateParams& params) override;
    void PaintWindow(TCanvas& canvas) override;

private:
    TBevelCut bevel_outer_ = TBevelCut::bvRaised;
};

// A transparent text, sized to it. "&" marks an accelerator and "&&" shows one "&".
class TLabel : public TGraphicControl {
public:
    explicit TLabel(TWinControl* parent);

    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment alignment);
    bool AutoSize() const { return auto_size_; }
    void SetAutoSize(bool value);
    bool ShowAccelChar() const { return show_accel_char_; }
    void SetShowAccelChar(bool value);
    bool WordWrap() const { return word_wrap_; }
    void SetWordWrap(bool value);
    bool Transparent() const override { return transparent_; }
    void SetTransparent(bool value);

    void Paint(TCanvas& canvas) override;
    // Rendered text can reach a pixel or two past its measured width.
    int PaintMargin() const override { return 2; }
    // The caption as it is drawn: accelerator marks removed.
    std::string DisplayText() const;

protected:
    void FontChanged() override;
    void TextChanged() override;

private:
    UINT DrawFlags() const;
    void AdjustBounds();

    TAlignment alignment_ = TAlignment::taLeftJustify;
    bool auto_size_ = true, show_accel_char_ = true, word_wrap_ = false, transparent_ = true;
};

enum class TBorderStyle { bsNone, bsSingle };

class TCustomEdit : public TWinControl {
public:
    explicit TCustomEdit(TWinControl* parent);

    void SetText(const std::string& text) { SetCaption(text); }
    bool ReadOnly() const { return read_only_; }
    void SetReadOnly(bool value);
    // The most characters the user may type or paste; 0 is no limit.
    int MaxLength() const { return max_length_; }
    void SetMaxLength(int value);
    bool AutoSelect() const { return auto_select_; }
    void SetAutoSelect(bool value) { auto_select_ = value; }
    bool Ctl3D() const { return ctl3d_; }
    void SetCtl3D(bool value);
    TBorderStyle BorderStyle() const { return border_style_; }
    void SetBorderStyle(TBorderStyle value);
    void SelectAll();

    TNotifyEvent OnChange;

protected:
    void CreateParams(TCreateParams& params) override;
    std::optional<LRESULT> Reflected(UINT message, WPARAM wparam, LPARAM lparam) override;
    void AfterCreateHandle() override;
    void DoEnter() override;
    virtual void Change();

private:
    void ApplyMaxLength();

    bool read_only_ = false, auto_select_ = true, ctl3d_ = true;
    int max_length_ = 0;
    TBorderStyle border_style_ = TBorderStyle::bsSingle;
};

using TEdit = TCustomEdit;

class TCheckBox : public TWinControl {
public:
    explicit TCheckBox(TWinControl* parent);

    bool Checked() const;
    void SetChecked(bool value);
    // taLeftJustify puts the caption on the left and the box on the right.
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment value);
    bool Ctl3D() const { return ctl3d_; }
    void SetCtl3D(bool value);

protected:
    void CreateParams(TCreateParams& params) override;
    std::optional<LRESULT> Reflected(UINT message, WPARAM wparam, LPARAM lparam) override;
    void AfterCreateHandle() override;

private:
    TAlignment alignment_ = TAlignment::taRightJustify;
    bool ctl3d_ = true;
    bool checked_ = false;
};

class TButton : public TWinControl {
public:
    explicit TButton(TWinControl* parent);

protected:
    void CreateParams(TCreateParams& params) override;
    std::optional<LRESULT> Reflected(UINT message, WPARAM wparam, LPARAM lparam) override;
};

// A push button that draws itself when its parent passes on WM_DRAWITEM.
class TCustomOwnerDrawButton : public TButton {
public:
    using TButton::TButton;

protected:
    void CreateParams(TCreateParams& params) override;
    std::optional<LRESULT> Reflected(UINT message, WPARAM wparam, LPARAM lparam) override;
    virtual void DrawItem(const DRAWITEMSTRUCT& item) = 0;
};

}  // namespace roadsum
