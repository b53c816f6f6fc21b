#include "toolkit/control.h"

#include "toolkit/application.h"
#include "toolkit/win_control.h"

namespace roadsum {

TControl::TControl(TWinControl* parent) : parent_(parent) {
    if (parent_) {
        font_ = parent_->Font();
        color_ = parent_->Color();
    }
}

TControl::~TControl() {
    if (TApplication* app = TApplication::Current()) app->Hints().Remove(this);
    if (parent_) parent_->ChildGone(this);
}

void TControl::StoreBounds(int left, int top, int width, int height) {
    left_ = left;
    top_ = top;
    width_ = width < 0 ? 0 : width;
    height_ = height < 0 ? 0 : height;
}

void TControl::SetBounds(int left, int top, int width, int height) {
    if (left == left_ && top == top_ && width == width_ && height == height_) return;
    Invalidate();  // the area it leaves
    StoreBounds(left, top, width, height);
    Invalidate();
    if (TApplication* app = TApplication::Current()) app->Hints().Update(this);
    BoundsChanged();
}

void TControl::SetAlign(TAlign align) {
    if (align == align_) return;
    align_ = align;
    if (parent_) parent_->AlignControls(parent_->ClientWidth(), parent_->ClientHeight());
}

void TControl::SetVisible(bool visible) {
    if (visible == visible_) return;
    visible_ = visible;
    VisibleChanged();
}

void TControl::VisibleChanged() {
    if (parent_) parent_->Invalidate();
}

void TControl::SetEnabled(bool enabled) {
    if (enabled == enabled_) return;
    enabled_ = enabled;
    EnabledChanged();
}

void TControl::SetCaption(std::string caption) {
    if (caption == caption_) return;
    caption_ = std::move(caption);
    TextChanged();
}

void TControl::SetColor(TColor color) {
    parent_color_ = false;
    if (color == color_) return;
    color_ = color;
    ColorChanged();
}

void TControl::SetParentColor(bool value) {
    parent_color_ = value;
    if (value) ParentColorChanged();
}

void TControl::ParentColorChanged() {
    if (parent_color_ && parent_ && parent_->Color() != color_) {
        color_ = parent_->Color();
        ColorChanged();
    }
}

void TControl::SetFont(const TFont& font) {
    if (font.SameAs(font_)) return;
    font_ = font;
    FontChanged();
}

void TControl::SetHint(std::string hint) {
    hint_ = std::move(hint);
    if (TApplication* app = TApplication::Current()) app->Hints().Update(this);
}

void TControl::Click() {
    if (OnClick) OnClick(this);
}

void TControl::DblClick() {
    if (OnDblClick) OnDblClick(this);
}

void TControl::Invalidate() {
    if (parent_) parent_->Invalidate();
}

void TControl::Repaint() {
    Invalidate();
    if (HWND h = IsWindowed() ? static_cast<TWinControl*>(this)->Handle() : ParentHandle()) UpdateWindow(h);
}

void TControl::MouseDown(TMouseButton button, UINT keys, int x, int y) {
    if (button == TMouseButton::mbLeft) clicking_ = true;
    if (OnMouseDown) OnMouseDown(this, button, keys, x, y);
}

void TControl::MouseMove(UINT keys, int x, int y) {
    if (OnMouseMove) OnMouseMove(this, keys, x, y);
}

void TControl::MouseUp(TMouseButton button, UINT keys, int x, int y) {
    if (button == TMouseButton::mbLeft && clicking_) {
        clicking_ = false;
        // A click needs the release over the control, as with any push button.
        if (click_events_ && x >= 0 && y >= 0 && x < width_ && y < height_ && HitTest(x, y)) Click();
    }
    if (OnMouseUp) OnMouseUp(this, button, keys, x, y);
}

bool TControl::HitTest(int x, int y) const { return x >= 0 && y >= 0 && x < width_ && y < height_; }

bool TControl::MouseCapture() const {
    return parent_ && parent_->CaptureControl() == this && GetCapture() == parent_->Handle();
}

HWND TControl::ParentHandle() const { return parent_ ? parent_->Handle() : nullptr; }

POINT TControl::ClientToScreen(POINT p) const {
    if (IsWindowed()) {
        ::ClientToScreen(static_cast<const TWinControl*>(this)->Handle(), &p);
    } else if (parent_) {
        p.x += left_;
        p.y += top_;
        ::ClientToScreen(parent_->Handle(), &p);
    }
    return p;
}

POINT TControl::ScreenToClient(POINT p) const {
    if (IsWindowed()) {
        ::ScreenToClient(static_cast<const TWinControl*>(this)->Handle(), &p);
    } else if (parent_) {
        ::ScreenToClient(parent_->Handle(), &p);
        p.x -= left_;
        p.y -= top_;
    }
    return p;
}

TControl* TControl::FindControl(const std::string& name) { return name == name_ ? this : nullptr; }

bool TControl::DialogChar(char) { return false; }

bool IsAccel(char key, const std::string& caption) {
    for (std::size_t i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != '&') continue;
        if (caption[i + 1] == '&') {
            ++i;  // a shown "&"
            continue;
        }
        auto upper = [](char c) {
            return static_cast<char>(reinterpret_cast<UINT_PTR>(CharUpperA(reinterpret_cast<LPSTR>(
                static_cast<UINT_PTR>(static_cast<unsigned char>(c))))));
        };
        return upper(caption[i + 1]) == upper(key);
    }
    return false;
}

void TGraphicControl::Invalidate() {
    if (!Visible()) return;
    if (TWinControl* p = Parent(); p && p->HandleAllocated()) {
        RECT r = BoundsRect();
        InflateRect(&r, PaintMargin(), PaintMargin());
        InvalidateRect(p->Handle(), &r, FALSE);
    }
}

}  // namespace roadsum
