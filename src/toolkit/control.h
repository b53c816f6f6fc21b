// The control tree: TControl (any control), TGraphicControl (windowless, painted by its
// parent) and TWinControl (has a window). A windowed control owns its child controls and
// destroys them, and their windows, with itself.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "toolkit/canvas.h"
#include "toolkit/color.h"
#include "toolkit/font.h"

namespace roadsum {

class TWinControl;

class TObject {
public:
    virtual ~TObject() = default;
};

using TNotifyEvent = std::function<void(TObject* Sender)>;

enum class TMouseButton { mbLeft, mbRight, mbMiddle };
using TMouseEvent = std::function<void(TObject* Sender, TMouseButton Button, UINT Keys, int X, int Y)>;
using TMouseMoveEvent = std::function<void(TObject* Sender, UINT Keys, int X, int Y)>;
enum class TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };
enum TAnchorKind : unsigned { akLeft = 1, akTop = 2, akRight = 4, akBottom = 8 };
enum class TAlignment { taLeftJustify, taRightJustify, taCenter };

// The first of the messages that controls send to their own windows.
constexpr UINT CM_BASE = WM_APP + 0x3000;

// Whether `key` is the accelerator that "&" marks in a caption ("&&" shows one "&").
bool IsAccel(char key, const std::string& caption);

class TControl : public TObject {
public:
    explicit TControl(TWinControl* parent);
    TControl(const TControl&) = delete;
    TControl& operator=(const TControl&) = delete;
    ~TControl() override;

    TWinControl* Parent() const { return parent_; }
    const std::string& Name() const { return name_; }
    void SetName(std::string name) { name_ = std::move(name); }

    // Bounds in the parent's client coordinates, in device pixels.
    int Left() const { return left_; }
    int Top() const { return top_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    RECT BoundsRect() const { return {left_, top_, left_ + width_, top_ + height_}; }
    RECT ClientRect() const { return {0, 0, width_, height_}; }
    virtual void SetBounds(int left, int top, int width, int height);
    void SetLeft(int v) { SetBounds(v, top_, width_, height_); }
    void SetTop(int v) { SetBounds(left_, v, width_, height_); }
    void SetWidth(int v) { SetBounds(left_, top_, v, height_); }
    void SetHeight(int v) { SetBounds(left_, top_, width_, v); }

    TAlign Align() const { return align_; }
    void SetAlign(TAlign align);
    unsigned Anchors() const { return anchors_; }
    void SetAnchors(unsigned anchors) { anchors_ = anchors; }

    bool Visible() const { return visible_; }
    virtual void SetVisible(bool visible);
    bool Enabled() const { return enabled_; }
    virtual void SetEnabled(bool enabled);

    const std::string& Caption() const { return caption_; }
    virtual void SetCaption(std::string caption);
    TColor Color() const { return color_; }
    virtual void SetColor(TColor color);
    bool ParentColor() const { return parent_color_; }
    void SetParentColor(bool value);
    const TFont& Font() const { return font_; }
    virtual void SetFont(const TFont& font);
    const std::string& Hint() const { return hint_; }
    void SetHint(std::string hint);

    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TMouseEvent OnMouseDown;
    TMouseMoveEvent OnMouseMove;
    TMouseEvent OnMouseUp;

    virtual void Click();
    virtual void DblClick();

    virtual void Invalidate();
    void Repaint();

    // Mouse events in this control's client coordinates.
    virtual void MouseDown(TMouseButton button, UINT keys, int x, int y);
    virtual void MouseMove(UINT keys, int x, int y);
    virtual void MouseUp(TMouseButton button, UINT keys, int x, int y);
    virtual void MouseEnter() {}
    virtual void MouseLeave() {}
    // The mouse capture went elsewhere while a button was held on the control.
    virtual void MouseCaptureLost() { clicking_ = false; }
    // Whether a point of the client area belongs to the control (shaped controls narrow it).
    virtual bool HitTest(int x, int y) const;

    bool MouseInside() const { return mouse_inside_; }
    // True while this control holds the mouse capture (a button went down on it).
    virtual bool MouseCapture() const;

    virtual bool IsWindowed() const { return false; }
    POINT ClientToScreen(POINT p) const;
    POINT ScreenToClient(POINT p) const;
    HWND ParentHandle() const;

    // Finds this control or a descendant by name.
    virtual TControl* FindControl(const std::string& name);

    // Alt and a character reached the form: true when this control (or a descendant) took it
    // as its accelerator.
    virtual bool DialogChar(char key);
    // The system palette changed: true when the control (or a descendant) handled it.
    virtual bool PaletteChanged() { return false; }

protected:
    virtual void FontChanged() { Invalidate(); }
    virtual void ColorChanged() { Invalidate(); }
    virtual void TextChanged() { Invalidate(); }
    virtual void BoundsChanged() {}
    virtual void VisibleChanged();
    virtual void EnabledChanged() { Invalidate(); }
    // Called by the parent when the inherited colour or font changes.
    virtual void ParentColorChanged();
    void SetCaptionField(std::string caption) { caption_ = std::move(caption); }
    void StoreBounds(int left, int top, int width, int height);
    void SetClickEvents(bool value) { click_events_ = value; }

private:
    friend class TWinControl;

    TWinControl* parent_;
    std::string name_, caption_, hint_;
    int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
    TAlign align_ = TAlign::alNone;
    unsigned anchors_ = akLeft | akTop;
    bool visible_ = true, enabled_ = true;
    bool parent_color_ = true;
    bool mouse_inside_ = false;
    bool clicking_ = false;  // a left button went down on the control and is still held
    bool click_events_ = true;  // a release over the control clicks it
    TColor color_ = clBtnFace;
    TFont font_;
};

// A windowless control: its parent paints it, in z-order, over the parent's background.
class TGraphicControl : public TControl {
public:
    using TControl::TControl;
    // Paints the control with the canvas origin at its top-left corner.
    virtual void Paint(TCanvas& canvas) = 0;
    // False for controls that paint every pixel themselves.
    virtual bool Transparent() const { return true; }
    // Whether the parent may leave out its background beneath the control.
    virtual bool PaintsEveryPixel() const { return !Transparent(); }
    // How far painting may reach beyond the bounds (the overhang of the last letter of a text).
    virtual int PaintMargin() const { return 0; }
    void Invalidate() override;
};

}  // namespace roadsum
