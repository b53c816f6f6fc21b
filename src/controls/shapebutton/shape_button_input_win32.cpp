// TShapeButton: the window's messages, mouse, keyboard and focus, the glyph animations on
// their shared timer, and the rotation steps the worker asks for.
#include <algorithm>

#include "controls/shapebutton/shape_button.h"
#include "controls/shapebutton/shape_picture_win32.h"

namespace roadsum {

LRESULT TShapeButton::WndProc(UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_PAINT: {
            // The system never draws the button: every pixel comes from the face.
            const PaintDC dc(Handle());
            TCanvas canvas(dc.get());
            PaintButton(canvas);
            return 0;
        }
        case WM_ERASEBKGND:
            return 1;
        case WM_SIZE: {
            if (skip_next_size_) {
                skip_next_size_ = false;
                return 0;
            }
            const LRESULT result = TCustomOwnerDrawButton::WndProc(message, wparam, lparam);
            SizeChanged(Width(), Height());  // the bounds are stored before WM_SIZE arrives
            return result;
        }
        case WM_MOVE: {
            if (skip_next_move_) {
                skip_next_move_ = false;
                return 0;
            }
            const LRESULT result = TCustomOwnerDrawButton::WndProc(message, wparam, lparam);
            Moved();
            return result;
        }
        case WM_LBUTTONDOWN:
            StopAnimation(enter_);
            StartAnimation(click_);
            break;
        case WM_LBUTTONDBLCLK:
            // The system button would only report a double click: press it again instead.
            return WndProc(WM_LBUTTONDOWN, wparam, lparam);
        case WM_KEYDOWN: {
            const LRESULT result = TCustomOwnerDrawButton::WndProc(message, wparam, lparam);
            if (wparam == VK_SPACE) {
                StopAnimation(enter_);
                StartAnimation(click_);
            }
            return result;
        }
        case BM_SETSTATE: {
            const LRESULT result = TCustomOwnerDrawButton::WndProc(message, wparam, lparam);
            SyncPressedState();
            return result;
        }
        case CM_ANIMATIONDONE:
            DefaultHandler(message, wparam, lparam);
            // The timer is shared: it goes only when no animation needs it any more.
            if (!AnimationRunning()) RetireAnimTimer();
            return 0;
        case CM_ROTATESTEP:
            if (!destroying_) SetButtonAngle(button_angle_ + rotated_angle_);
            return 0;
    }
    return TCustomOwnerDrawButton::WndProc(message, wparam, lparam);
}

std::optional<LRESULT> TShapeButton::Reflected(UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_MEASUREITEM) {
        auto* item = reinterpret_cast<MEASUREITEMSTRUCT*>(lparam);
        item->itemWidth = static_cast<UINT>(Width());
        item->itemHeight = static_cast<UINT>(Height());
        return TRUE;
    }
    return TCustomOwnerDrawButton::Reflected(message, wparam, lparam);
}

void TShapeButton::DrawItem(const DRAWITEMSTRUCT& item) {
    draw_item_ = item;
    draw_item_.hDC = nullptr;  // valid only during the notification
    RenderFace();
    Invalidate();
}

// Some systems repaint a pressed owner-drawn button through WM_PAINT alone, which never
// reaches the owner: the pressed state then comes from the button itself.
void TShapeButton::SyncPressedState() {
    const bool pushed = (SendMessageA(Handle(), BM_GETSTATE, 0, 0) & BST_PUSHED) != 0;
    if (pushed == ((draw_item_.itemState & ODS_SELECTED) != 0)) return;
    DRAWITEMSTRUCT item = draw_item_;
    item.CtlType = ODT_BUTTON;
    item.CtlID = static_cast<UINT>(GetDlgCtrlID(Handle()));
    item.itemAction = ODA_SELECT;
    item.itemState = (item.itemState & ~ODS_SELECTED) | (pushed ? ODS_SELECTED : 0);
    item.hwndItem = Handle();
    item.rcItem = ClientRect();
    DrawItem(item);
}

void TShapeButton::MouseEnter() {
    mouse_over_ = true;
    Rerender();
    StopAnimation(exit_);
    StartAnimation(enter_);
    if (onMouseEnter) onMouseEnter(this);
    TCustomOwnerDrawButton::MouseEnter();
}

void TShapeButton::MouseLeave() {
    mouse_over_ = false;
    Rerender();
    StopAnimation(enter_);
    StopAnimation(click_);
    StartAnimation(exit_);
    if (onMouseExit) onMouseExit(this);
    TCustomOwnerDrawButton::MouseLeave();
}

void TShapeButton::FocusChanged(TWinControl* focused) {
    SetButtonStyle(focused == this);
    // The form's first focus change (its first control taking the focus) animates nothing.
    if (skip_first_focus_change_) {
        skip_first_focus_change_ = false;
        return;
    }
    if (focused == this) {
        StopAnimation(exit_);
        StartAnimation(enter_);
    } else {
        StopAnimation(enter_);
        StopAnimation(click_);
        StartAnimation(exit_);
    }
}

// ---- Animations

void TShapeButton::RetireAnimTimer() {
    if (!anim_timer_) return;
    // This may run inside the timer's own tick, so the timer is stopped here and freed later.
    anim_timer_->SetEnabled(false);
    retired_timer_ = std::move(anim_timer_);
}

void TShapeButton::StartAnimation(Animation& a) {
    if (a.running) return;
    RetireAnimTimer();
    anim_timer_ = std::make_unique<TTimer>();
    anim_timer_->SetEnabled(false);
    anim_timer_->SetInterval(static_cast<UINT>(std::max(a.interval, 0)));
    a.frame = 0;
    a.running = true;
    anim_timer_->OnTimer = [this](TObject*) { AnimationTick(); };
    anim_timer_->SetEnabled(true);
}

void TShapeButton::StopAnimation(Animation& a) {
    if (!a.running) return;
    a.running = false;
    if (anim_timer_ && !AnimationRunning()) anim_timer_->SetEnabled(false);
    if (HandleAllocated())
        SendMessageA(Handle(), CM_ANIMATIONDONE, 0, 0);
    else if (!AnimationRunning())
        RetireAnimTimer();
}

void TShapeButton::AdvanceAnimation(Animation& a) {
    if (!a.running) return;
    if (a.frame < a.glyphs) {
        DrawAnimationFrame(a.strip.get(), a.glyphs, a.frame);
        ++a.frame;
        return;
    }
    // The static face returns.
    Invalidate();
    StopAnimation(a);
}

void TShapeButton::AnimationTick() {
    AdvanceAnimation(enter_);
    AdvanceAnimation(exit_);
    AdvanceAnimation(click_);
}

void TShapeButton::DrawAnimationFrame(const TDib24* strip, int glyphs, int frame) {
    if (!strip || !HandleAllocated()) return;
    const GlyphDraw d = AnimationFrameDraw({.glyphs = glyphs,
                                            .frame = frame,
                                            .strip_width = strip->Width(),
                                            .strip_height = strip->Height(),
                                            .control = {Width(), Height()},
                                            .halign = bitmap_halign_,
                                            .valign = bitmap_valign_,
                                            .left = bitmap_left_,
                                            .top = bitmap_top_,
                                            .depth = button_depth_});
    if (transparent_) {
        TransparentBlit(d.x, d.y, true, *strip, d.source, d.cell);
        return;
    }
    // Rows below the strip are not drawn: the window keeps what it shows there.
    const int width = std::min(d.source.right, strip->Width()) - d.source.left;
    const int height = std::min(d.source.bottom, strip->Height()) - d.source.top;
    if (width <= 0 || height <= 0) return;
    const ClientDC dc(Handle());
    BitBlt(dc.get(), d.x, d.y, width, height, strip->DC(), d.source.left, d.source.top, SRCCOPY);
}

}  // namespace roadsum
