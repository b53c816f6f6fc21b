#include "toolkit/stdctrls.h"

namespace roadsum {

// ---- TPanel

TPanel::TPanel(TWinControl* parent) : TWinControl(parent) { SetBounds(0, 0, 185, 41); }

void TPanel::CreateParams(TCreateParams& params) {
    TWinControl::CreateParams(params);
    params.ClassName = "TPanel";
}

void TPanel::SetBevelOuter(TBevelCut bevel) {
    if (bevel == bevel_outer_) return;
    bevel_outer_ = bevel;
    Invalidate();
}

void TPanel::PaintWindow(TCanvas& canvas) {
    TWinControl::PaintWindow(canvas);
    if (bevel_outer_ != TBevelCut::bvNone) {
        RECT r = ClientRect();
        DrawEdge(canvas.Handle(), &r, bevel_outer_ == TBevelCut::bvRaised ? BDR_RAISEDINNER : BDR_SUNKENOUTER, BF_RECT);
    }
}

// ---- TLabel

TLabel::TLabel(TWinControl* parent) : TGraphicControl(parent) { SetBounds(0, 0, 65, 17); }

void TLabel::SetAlignment(TAlignment alignment) {
    if (alignment == alignment_) return;
    alignment_ = alignment;
    Invalidate();
}

void TLabel::SetAutoSize(bool value) {
    auto_size_ = value;
    AdjustBounds();
}

void TLabel::SetShowAccelChar(bool value) {
    show_accel_char_ = value;
    AdjustBounds();
    Invalidate();
}

void TLabel::SetWordWrap(bool value) {
    word_wrap_ = value;
    AdjustBounds();
    Invalidate();
}

void TLabel::SetTransparent(bool value) {
    transparent_ = value;
    Invalidate();
}

void TLabel::FontChanged() {
    AdjustBounds();
    Invalidate();
}

void TLabel::TextChanged() {
    AdjustBounds();
    Invalidate();
}

UINT TLabel::DrawFlags() const {
    UINT flags = DT_EXPANDTABS;
    flags |= word_wrap_ ? DT_WORDBREAK : DT_SINGLELINE;
    if (!show_accel_char_) flags |= DT_NOPREFIX;
    return flags;
}

std::string TLabel::DisplayText() const {
    if (!show_accel_char_) return Caption();
    std::string text;
    const std::string& c = Caption();
    for (std::size_t i = 0; i < c.size(); ++i) {
        if (c[i] == '&' && i + 1 < c.size()) ++i;
        else if (c[i] == '&') continue;
        text += c[i];
    }
    return text;
}

// Takes the size of the text; a right-aligned label keeps its right edge.
void TLabel::AdjustBounds() {
    if (!auto_size_) return;
    RECT r = {0, 0, word_wrap_ ? Width() : 0, 0};
    {
        const ClientDC screen(nullptr);
        const SelectObjectScope font(screen.get(), Font().Handle());
        std::string text = Caption().empty() ? " " : Caption();
        ::DrawTextA(screen.get(), text.data(), static_cast<int>(text.size()), &r, DrawFlags() | DT_CALCRECT);
    }
    int left = Left();
    if (alignment_ == TAlignment::taRightJustify) left = Left() + Width() - r.right;
    SetBounds(left, Top(), r.right, r.bottom);
}

void TLabel::Paint(TCanvas& canvas) {
    RECT r = ClientRect();
    if (!transparent_) {
        canvas.SetBrush(Color());
        canvas.FillRect(r);
    }
    UINT flags = DrawFlags() | DT_NOCLIP;
    if (alignment_ == TAlignment::taRightJustify) flags |= DT_RIGHT;
    if (alignment_ == TAlignment::taCenter) flags |= DT_CENTER;
    canvas.SetFont(Font());
    canvas.DrawCaption(Caption(), r, flags, Enabled());
}

// ---- TCustomEdit

TCustomEdit::TCustomEdit(TWinControl* parent) : TWinControl(parent) {
    SetBounds(0, 0, 121, 21);
    SetTabStop(true);
    SetColor(clWindow);
}

void TCustomEdit::CreateParams(TCreateParams& params) {
    TWinControl::CreateParams(params);
    params.SystemClass = "EDIT";
    params.Style |= ES_AUTOHSCROLL | ES_LEFT;
    if (read_only_) params.Style |= ES_READONLY;
    if (border_style_ == TBorderStyle::bsSingle) {
        if (ctl3d_)
            params.ExStyle |= WS_EX_CLIENTEDGE;
        else
            params.Style |= WS_BORDER;
    }
}

void TCustomEdit::SetCtl3D(bool value) {
    if (value == ctl3d_) return;
    ctl3d_ = value;
    RecreateWnd();
}

void TCustomEdit::SetBorderStyle(TBorderStyle value) {
    if (value == border_style_) return;
    border_style_ = value;
    RecreateWnd();
}

void TCustomEdit::AfterCreateHandle() { ApplyMaxLength(); }

// Always sent, 0 included: a new edit window otherwise keeps its own default of 30,000
// characters, while 0 asks for the largest limit the system has (0x7FFFFFFE for a
// single-line edit, 0xFFFFFFFF for a multi-line one).
void TCustomEdit::ApplyMaxLength() {
    if (HandleAllocated()) SendMessageA(Handle(), EM_LIMITTEXT, static_cast<WPARAM>(max_length_), 0);
}

void TCustomEdit::SetReadOnly(bool value) {
    read_only_ = value;
    if (HandleAllocated()) SendMessageA(Handle(), EM_SETREADONLY, value, 0);
}

void TCustomEdit::SetMaxLength(int value) {
    if (value == max_length_ || value < 0) return;
    max_length_ = value;
    ApplyMaxLength();
}

void TCustomEdit::SelectAll() {
    if (HandleAllocated()) SendMessageA(Handle(), EM_SETSEL, 0, -1);
}

void TCustomEdit::DoEnter() {
    if (auto_select_ && GetKeyState(VK_LBUTTON) >= 0) SelectAll();
    TWinControl::DoEnter();
}

void TCustomEdit::Change() {
    if (OnChange) OnChange(this);
}

std::optional<LRESULT> TCustomEdit::Reflected(UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_COMMAND && HIWORD(wparam) == EN_CHANGE) {
        Change();
        return 0;
    }
    return TWinControl::Reflected(message, wparam, lparam);
}

// ---- TCheckBox

TCheckBox::TCheckBox(TWinControl* parent) : TWinControl(parent) {
    SetBounds(0, 0, 97, 17);
    SetTabStop(true);
}

void TCheckBox::CreateParams(TCreateParams& params) {
    TWinControl::CreateParams(params);
    params.SystemClass = "BUTTON";
    params.Style |= BS_AUTOCHECKBOX;
    if (alignment_ == TAlignment::taLeftJustify) params.Style |= BS_LEFTTEXT | BS_RIGHTBUTTON;
    if (!ctl3d_) params.Style |= BS_FLAT;
}

void TCheckBox::SetAlignment(TAlignment value) {
    if (value == alignment_) return;
    alignment_ = value;
    RecreateWnd();
}

void TCheckBox::SetCtl3D(bool value) {
    if (value == ctl3d_) return;
    ctl3d_ = value;
    RecreateWnd();
}

void TCheckBox::AfterCreateHandle() { SendMessageA(Handle(), BM_SETCHECK, checked_ ? BST_CHECKED : BST_UNCHECKED, 0); }

bool TCheckBox::Checked() const {
    return HandleAllocated() ? SendMessageA(Handle(), BM_GETCHECK, 0, 0) == BST_CHECKED : checked_;
}

void TCheckBox::SetChecked(bool value) {
    checked_ = value;
    if (HandleAllocated()) SendMessageA(Handle(), BM_SETCHECK, value ? BST_CHECKED : BST_UNCHECKED, 0);
}

std::optional<LRESULT> TCheckBox::Reflected(UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_COMMAND && HIWORD(wparam) == BN_CLICKED) {
        checked_ = Checked();
        Click();
        return 0;
    }
    return TWinControl::Reflected(message, wparam, lparam);
}

// ---- TButton

TButton::TButton(TWinControl* parent) : TWinControl(parent) {
    SetBounds(0, 0, 75, 25);
    SetTabStop(true);
}

void TButton::CreateParams(TCreateParams& params) {
    TWinControl::CreateParams(params);
    params.SystemClass = "BUTTON";
    params.Style |= BS_PUSHBUTTON;
}

std::optional<LRESULT> TButton::Reflected(UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_COMMAND && HIWORD(wparam) == BN_CLICKED) {
        Click();
        return 0;
    }
    return TWinControl::Reflected(message, wparam, lparam);
}

// ---- TCustomOwnerDrawButton

void TCustomOwnerDrawButton::CreateParams(TCreateParams& params) {
    TButton::CreateParams(params);
    params.Style |= BS_OWNERDRAW;
}

std::optional<LRESULT> TCustomOwnerDrawButton::Reflected(UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_DRAWITEM) {
        DrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lparam));
        return TRUE;
    }
    return TButton::Reflected(message, wparam, lparam);
}

}  // namespace roadsum
