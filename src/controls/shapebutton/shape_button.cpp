// TShapeButton: construction, the window's creation, loading, destruction and the property
// setters. Geometry is in shape_button_regions.cpp, painting in shape_button_paint.cpp,
// mouse, keys, focus, animations and rotation in shape_button_input.cpp.
#include "controls/shapebutton/shape_button.h"

#include <numbers>

#include "controls/shapebutton/shape_picture_win32.h"

namespace roadsum {
namespace {

constexpr int kMinPeaks = 3, kMaxPeaks = 20;
constexpr int kMaxMainGlyphs = 4;
constexpr int kMaxRotatedAngle = 1799;
constexpr double kMinArcAngle = 0.01, kMaxArcAngle = 2 * std::numbers::pi;

bool IsPolygonKind(TShapeButtonKind kind) {
    return kind == TShapeButtonKind::bkPoly || kind == TShapeButtonKind::bkPolyStar;
}

}  // namespace

TShapeButton::TShapeButton(TWinControl* parent) : TCustomOwnerDrawButton(parent) {
    button_width_ = frame_width_ = Width();
    button_height_ = frame_height_ = Height();
    painted_enabled_ = Enabled();
}

TShapeButton::~TShapeButton() {
    // A rotation step that the worker sent meanwhile is answered while we wait, and does nothing.
    destroying_ = true;
    rotate_timer_.reset();
    rotated_ = false;
    anim_timer_.reset();
    retired_timer_.reset();
}

void TShapeButton::AfterCreateHandle() {
    // The worker knows only its window: a new window needs a new worker.
    rotate_timer_.reset();
    rotate_timer_ = std::make_unique<TShapeRotateTimer>(Handle(), rotated_time_);
    if (rotated_) rotate_timer_->SetRotating(true);
    RebuildShape();
    UseArial();
    painted_enabled_ = Enabled();
    painted_pressed_ = painted_mouse_over_ = false;
}

// The caption is drawn in Arial whatever face the layout names.
void TShapeButton::UseArial() {
    TFont font = Font();
    font.SetName("Arial");
    SetFont(font);
}

void TShapeButton::Loaded() {
    if (position_recorded_) {
        // The position read from the layout is the window's final place; angle changes made
        // while reading may have moved it since.
        repositioning_ = true;
        SetBounds(loaded_left_, loaded_top_, Width(), Height());
        new_left_ = loaded_left_;
        new_top_ = loaded_top_;
        repositioning_ = false;
    }
    angle_delta_ = 0;
    // Windows exist while the layout is read here, so the face is set again after it.
    if (HandleAllocated()) UseArial();
    RebuildShape();
    Invalidate();
    is_loaded_ = true;
}

void TShapeButton::SetDesigning(bool value) {
    if (value == designing_) return;
    designing_ = value;
    Rerender();
}

void TShapeButton::Rerender() {
    RenderFace();
    Invalidate();
}

void TShapeButton::FullRebuild() {
    RebuildShape();
    Invalidate();
}

void TShapeButton::SetButtonStyle(bool active) {
    active_ = active;
    FullRebuild();
}

void TShapeButton::FontChanged() {
    TCustomOwnerDrawButton::FontChanged();
    Rerender();
}

void TShapeButton::EnabledChanged() {
    TCustomOwnerDrawButton::EnabledChanged();
    RenderFace();
}

void TShapeButton::TextChanged() {
    TCustomOwnerDrawButton::TextChanged();
    Rerender();
}

// ---- Caption

void TShapeButton::SetCaptionTop(int value) {
    if (value == caption_top_) return;
    caption_top_ = value;
    if (is_loaded_) caption_valign_ = TShapeVAlign::vaNone;
    Rerender();
}

void TShapeButton::SetCaptionLeft(int value) {
    if (value == caption_left_) return;
    caption_left_ = value;
    if (is_loaded_) caption_halign_ = TShapeHAlign::haNone;
    Rerender();
}

void TShapeButton::SetCaptionAngle(int value) {
    if (value == caption_angle_) return;
    caption_angle_ = value;
    Rerender();
}

void TShapeButton::SetCaptionHAlign(TShapeHAlign value) {
    if (value == caption_halign_) return;
    caption_halign_ = value;
    Rerender();
}

void TShapeButton::SetCaptionVAlign(TShapeVAlign value) {
    if (value == caption_valign_) return;
    caption_valign_ = value;
    Rerender();
}

void TShapeButton::SetCaptionFixed(bool value) {
    if (value == caption_fixed_) return;
    caption_fixed_ = value;
    Rerender();
}

void TShapeButton::SetCaption3dKind(TShapeCaption3dKind value) {
    if (value == caption_3d_kind_) return;
    caption_3d_kind_ = value;
    Rerender();
}

// ---- Face and shape

void TShapeButton::SetButtonColor(TColor value) {
    if (value == button_color_) return;
    button_color_ = value;
    Rerender();
}

void TShapeButton::SetButtonColor1(TColor value) {
    if (value == button_color1_) return;
    button_color1_ = value;
    Rerender();
}

void TShapeButton::SetButtonKind(TShapeButtonKind value) {
    if (value == button_kind_) return;
    previous_kind_ = button_kind_;
    button_kind_ = value;
    angle_delta_ = 0;
    if (value == TShapeButtonKind::bkUser && user_rgn_auto_) TraceUserRegion(UserRegion());
    FullRebuild();
    previous_kind_ = value;
}

void TShapeButton::SetButton3DKind(TShape3DKind value) {
    if (value == button_3d_kind_) return;
    button_3d_kind_ = value;
    FullRebuild();
}

void TShapeButton::SetButtonDepth(int value) {
    if (value == button_depth_) return;
    button_depth_ = value;
    FullRebuild();
}

void TShapeButton::SetTransparent(bool value) {
    if (value == transparent_) return;
    transparent_ = value;
    Rerender();
}

void TShapeButton::SetPeaksNumber(int value) {
    if (value == peaks_number_ || value < kMinPeaks || value > kMaxPeaks) return;
    peaks_number_ = value;
    if (IsPolygonKind(button_kind_)) FullRebuild();
}

void TShapeButton::SetRadiusRatio(double value) {
    if (value == radius_ratio_ || !(value >= 0 && value <= 1)) return;
    radius_ratio_ = value;
    if (button_kind_ == TShapeButtonKind::bkArc || button_kind_ == TShapeButtonKind::bkDonut) FullRebuild();
}

void TShapeButton::SetArcAngle(double value) {
    if (value == arc_angle_ || !(value >= kMinArcAngle && value <= kMaxArcAngle)) return;
    arc_angle_ = value;
    if (button_kind_ == TShapeButtonKind::bkArc) FullRebuild();
}

void TShapeButton::SetCustomDraw(bool value) {
    if (value == custom_draw_) return;
    custom_draw_ = value;
    Rerender();
}

void TShapeButton::SetShowFocusRGN(bool value) {
    if (value == show_focus_rgn_) return;
    show_focus_rgn_ = value;
    Rerender();
}

// ---- Gradient

void TShapeButton::SetGradientKind(TShapeGradientKind value) {
    if (value == gradient_kind_) return;
    gradient_kind_ = value;
    Rerender();
}

void TShapeButton::SetGradientAngle(int value) {
    if (value == gradient_angle_) return;
    gradient_angle_ = value;
    Rerender();
}

void TShapeButton::SetGradientFixed(bool value) { gradient_fixed_ = value; }

void TShapeButton::SetGradientBitmap(HBITMAP picture) {
    gradient_bitmap_ = TDib24::FromBitmap(picture);
    FullRebuild();
}

void TShapeButton::SetGradientBitmapLine(int value) {
    if (value == gradient_bitmap_line_ || value < 0) return;
    gradient_bitmap_line_ = value;
    Rerender();
}

// ---- Glyphs

void TShapeButton::SetMainBitmap(HBITMAP picture) {
    main_bitmap_ = TDib24::FromBitmap(picture);
    Rerender();
}

void TShapeButton::SetMainBitmapGlyphs(int value) {
    if (value == main_bitmap_glyphs_ || value < 1 || value > kMaxMainGlyphs) return;
    main_bitmap_glyphs_ = value;
    Rerender();
}

void TShapeButton::SetBitmapTop(int value) {
    if (value == bitmap_top_) return;
    bitmap_top_ = value;
    if (is_loaded_) bitmap_valign_ = TShapeVAlign::vaNone;
    Rerender();
}

void TShapeButton::SetBitmapLeft(int value) {
    if (value == bitmap_left_) return;
    bitmap_left_ = value;
    if (is_loaded_) bitmap_halign_ = TShapeHAlign::haNone;
    Rerender();
}

void TShapeButton::SetBitmapHAlign(TShapeHAlign value) {
    if (value == bitmap_halign_) return;
    bitmap_halign_ = value;
    Rerender();
}

void TShapeButton::SetBitmapVAlign(TShapeVAlign value) {
    if (value == bitmap_valign_) return;
    bitmap_valign_ = value;
    Rerender();
}

// ---- Animations

void TShapeButton::SetAnimationBitmap(Animation& a, HBITMAP picture) { a.strip = TDib24::FromBitmap(picture); }

void TShapeButton::SetAnimationGlyphs(Animation& a, int value) {
    if (value > 0) a.glyphs = value;
}

void TShapeButton::SetAnimationInterval(Animation& a, int value) {
    if (!a.running) a.interval = value;
}

void TShapeButton::SetOnEnterBitmap(HBITMAP picture) { SetAnimationBitmap(enter_, picture); }
void TShapeButton::SetOnEnterGlyphs(int value) { SetAnimationGlyphs(enter_, value); }
void TShapeButton::SetOnEnterInterval(int value) { SetAnimationInterval(enter_, value); }
void TShapeButton::SetOnExitBitmap(HBITMAP picture) { SetAnimationBitmap(exit_, picture); }
void TShapeButton::SetOnExitGlyphs(int value) { SetAnimationGlyphs(exit_, value); }
void TShapeButton::SetOnExitInterval(int value) { SetAnimationInterval(exit_, value); }
void TShapeButton::SetOnClickBitmap(HBITMAP picture) { SetAnimationBitmap(click_, picture); }
void TShapeButton::SetOnClickGlyphs(int value) { SetAnimationGlyphs(click_, value); }
void TShapeButton::SetOnClickInterval(int value) { SetAnimationInterval(click_, value); }

// ---- Rotation

void TShapeButton::SetRotationPointX(int value) {
    if (value == rotation_point_x_) return;
    rotation_point_x_ = value;
    rotation_center_fixed_ = false;
    FullRebuild();
}

void TShapeButton::SetRotationPointY(int value) {
    if (value == rotation_point_y_) return;
    rotation_point_y_ = value;
    rotation_center_fixed_ = false;
    FullRebuild();
}

void TShapeButton::SetRotationCenterFixed(bool value) {
    if (value == rotation_center_fixed_) return;
    rotation_center_fixed_ = value;
    FullRebuild();
}

void TShapeButton::SetRotated(bool value) {
    if (value == rotated_) return;
    rotated_ = value;
    // Before the window exists the worker does not either; it starts rotating when made.
    if (rotate_timer_) rotate_timer_->SetRotating(value);
}

void TShapeButton::SetRotatedTime(int value) {
    if (value == rotated_time_ || value < 0) return;
    rotated_time_ = value;
    if (rotate_timer_) rotate_timer_->SetInterval(value);
}

void TShapeButton::SetRotatedAngle(int value) {
    if (value == rotated_angle_ || value < -kMaxRotatedAngle || value > kMaxRotatedAngle) return;
    rotated_angle_ = value;
}

}  // namespace roadsum
