// TShapeButton: a push button whose window is cut to an outline (rectangle, rounded
// rectangle, ellipse, polygon, star, arc, ring, arrows, crosses, cut corners or a region of
// the user's), turned by any angle, painted from an off-screen face with a bevel, a plain or
// gradient face, a turned caption and a glyph strip, with short glyph animations on mouse
// enter, leave and click, and optionally turning continuously, driven by a worker thread.
//
// Angles are tenths of a degree, counter-clockwise on screen. ButtonWidth x ButtonHeight is
// the unturned button; the window (FrameWidth x FrameHeight) is its turned bounding box.
// Setters ignore a value equal to the current one and, silently, values out of their range.
//
// The control counts as being read from its layout until Loaded() runs: code that builds a
// window from a layout sets the properties and then calls Loaded(). Only after that do
// CaptionTop/Left and BitmapTop/Left switch their alignment to free placement; the position
// the layout gave is the window's final place, where Loaded() puts it back.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <numbers>
#include <string>

#include "controls/shapebutton/contours.h"
#include "controls/shapebutton/shape_glyph.h"
#include "controls/shapebutton/shape_rotate_timer_win32.h"
#include "controls/shapebutton/shape_types.h"
#include "toolkit/dib.h"
#include "toolkit/gdi.h"
#include "toolkit/stdctrls.h"
#include "toolkit/timer.h"

namespace roadsum {

using TMouseInOutEvent = std::function<void(TObject* sender)>;

class TShapeButton : public TCustomOwnerDrawButton {
public:
    explicit TShapeButton(TWinControl* parent);
    ~TShapeButton() override;

    // ---- Caption
    int CaptionTop() const { return caption_top_; }
    virtual void SetCaptionTop(int value);
    int CaptionLeft() const { return caption_left_; }
    virtual void SetCaptionLeft(int value);
    int CaptionAngle() const { return caption_angle_; }
    virtual void SetCaptionAngle(int value);
    TShapeHAlign CaptionHAlign() const { return caption_halign_; }
    virtual void SetCaptionHAlign(TShapeHAlign value);
    TShapeVAlign CaptionVAlign() const { return caption_valign_; }
    virtual void SetCaptionVAlign(TShapeVAlign value);
    bool CaptionFixed() const { return caption_fixed_; }
    virtual void SetCaptionFixed(bool value);
    TShapeCaption3dKind Caption3dKind() const { return caption_3d_kind_; }
    virtual void SetCaption3dKind(TShapeCaption3dKind value);

    // ---- Face and shape
    TColor ButtonColor() const { return button_color_; }
    virtual void SetButtonColor(TColor value);
    TColor ButtonColor1() const { return button_color1_; }
    virtual void SetButtonColor1(TColor value);
    TShapeButtonKind ButtonKind() const { return button_kind_; }
    void SetButtonKind(TShapeButtonKind value);
    TShape3DKind Button3DKind() const { return button_3d_kind_; }
    void SetButton3DKind(TShape3DKind value);
    int ButtonDepth() const { return button_depth_; }
    virtual void SetButtonDepth(int value);
    bool Transparent() const { return transparent_; }
    virtual void SetTransparent(bool value);
    int PeaksNumber() const { return peaks_number_; }
    virtual void SetPeaksNumber(int value);  // 3 ... 20
    int ButtonAngle() const { return button_angle_; }
    virtual void SetButtonAngle(int value);
    int ButtonWidth() const { return button_width_; }
    virtual void SetButtonWidth(int value);
    int ButtonHeight() const { return button_height_; }
    virtual void SetButtonHeight(int value);
    double RadiusRatio() const { return radius_ratio_; }
    virtual void SetRadiusRatio(double value);  // 0 ... 1
    double ArcAngle() const { return arc_angle_; }
    virtual void SetArcAngle(double value);  // 0.01 ... 2 pi radians
    bool CustomDraw() const { return custom_draw_; }
    void SetCustomDraw(bool value);
    bool ShowFocusRGN() const { return show_focus_rgn_; }
    void SetShowFocusRGN(bool value);

    // ---- Gradient
    TShapeGradientKind GradientKind() const { return gradient_kind_; }
    virtual void SetGradientKind(TShapeGradientKind value);
    int GradientAngle() const { return gradient_angle_; }
    virtual void SetGradientAngle(int value);
    bool GradientFixed() const { return gradient_fixed_; }
    virtual void SetGradientFixed(bool value);
    // A sample strip whose pixels give the gradient's colours; null when empty.
    const TDib24* GradientBitmap() const { return gradient_bitmap_.get(); }
    virtual void SetGradientBitmap(HBITMAP picture);
    int GradientBitmapLine() const { return gradient_bitmap_line_; }
    virtual void SetGradientBitmapLine(int value);

    // ---- Glyphs. Pictures are copied as 24-bit bitmaps; null or zero height empties them.
    const TDib24* MainBitmap() const { return main_bitmap_.get(); }
    virtual void SetMainBitmap(HBITMAP picture);
    int MainBitmapGlyphs() const { return main_bitmap_glyphs_; }
    virtual void SetMainBitmapGlyphs(int value);  // 1 ... 4
    int BitmapTop() const { return bitmap_top_; }
    virtual void SetBitmapTop(int value);
    int BitmapLeft() const { return bitmap_left_; }
    virtual void SetBitmapLeft(int value);
    TShapeHAlign BitmapHAlign() const { return bitmap_halign_; }
    virtual void SetBitmapHAlign(TShapeHAlign value);
    TShapeVAlign BitmapVAlign() const { return bitmap_valign_; }
    virtual void SetBitmapVAlign(TShapeVAlign value);

    // ---- Glyph animations on mouse enter, leave and click.
    const TDib24* OnEnterBitmap() const { return enter_.strip.get(); }
    virtual void SetOnEnterBitmap(HBITMAP picture);
    int OnEnterGlyphs() const { return enter_.glyphs; }
    virtual void SetOnEnterGlyphs(int value);
    int OnEnterInterval() const { return enter_.interval; }
    virtual void SetOnEnterInterval(int value);
    const TDib24* OnExitBitmap() const { return exit_.strip.get(); }
    virtual void SetOnExitBitmap(HBITMAP picture);
    int OnExitGlyphs() const { return exit_.glyphs; }
    virtual void SetOnExitGlyphs(int value);
    int OnExitInterval() const { return exit_.interval; }
    virtual void SetOnExitInterval(int value);
    const TDib24* OnClickBitmap() const { return click_.strip.get(); }
    virtual void SetOnClickBitmap(HBITMAP picture);
    int OnClickGlyphs() const { return click_.glyphs; }
    virtual void SetOnClickGlyphs(int value);
    int OnClickInterval() const { return click_.interval; }
    virtual void SetOnClickInterval(int value);

    // ---- User region
    const std::string& StringButtonRegion() const { return string_button_region_; }
    virtual void SetStringButtonRegion(const std::string& value);
    bool UserRGNAUTO() const { return user_rgn_auto_; }
    virtual void SetUserRGNAUTO(bool value);
    // For bkUser only: takes the region over (and deletes the handle) when it differs from the
    // current one; otherwise the caller keeps it.
    virtual void SetUserRegion(HRGN region);

    // ---- Rotation
    int RotationPointX() const { return rotation_point_x_; }
    virtual void SetRotationPointX(int value);
    int RotationPointY() const { return rotation_point_y_; }
    virtual void SetRotationPointY(int value);
    bool RotationCenterFixed() const { return rotation_center_fixed_; }
    virtual void SetRotationCenterFixed(bool value);
    bool Rotated() const { return rotated_; }
    virtual void SetRotated(bool value);
    int RotatedTime() const { return rotated_time_; }
    virtual void SetRotatedTime(int value);
    int RotatedAngle() const { return rotated_angle_; }
    virtual void SetRotatedAngle(int value);  // -1799 ... 1799

    TMouseInOutEvent onMouseEnter, onMouseExit;
    TNotifyEvent OnPaint;  // after every paint

    // ---- Life cycle
    void Loaded();
    bool IsLoaded() const { return is_loaded_; }
    // Design-time look: the rotation point is marked on the face.
    bool Designing() const { return designing_; }
    void SetDesigning(bool value);

    // ---- The geometry and the face, as last built
    void RebuildShape();
    void RenderFace();
    int FrameWidth() const { return frame_width_; }
    int FrameHeight() const { return frame_height_; }
    const TDib24* FaceBitmap() const { return face_.get(); }
    // The outline before it was inset and turned.
    const ContourSet& Outline() const { return outline_; }
    bool RegionPending() const { return region_pending_; }
    bool Pressed() const { return pressed_; }
    bool MouseOver() const { return mouse_over_; }
    bool Active() const { return active_; }

    // The animation timer while an animation runs, and the rotation worker once the window exists.
    TTimer* AnimTimer() const { return anim_timer_.get(); }
    TShapeRotateTimer* RotateTimer() const { return rotate_timer_.get(); }
    bool EnterRunning() const { return enter_.running; }
    bool ExitRunning() const { return exit_.running; }
    bool ClickRunning() const { return click_.running; }

protected:
    void AfterCreateHandle() override;
    LRESULT WndProc(UINT message, WPARAM wparam, LPARAM lparam) override;
    std::optional<LRESULT> Reflected(UINT message, WPARAM wparam, LPARAM lparam) override;
    void DrawItem(const DRAWITEMSTRUCT& item) override;
    void MouseEnter() override;
    void MouseLeave() override;
    void FocusChanged(TWinControl* focused) override;
    void FontChanged() override;
    void EnabledChanged() override;
    void TextChanged() override;

    // The default or focused look.
    virtual void SetButtonStyle(bool active);
    virtual void PaintButton(TCanvas& canvas);
    virtual void DrawMainGlyph(bool pressed);
    // One frame of an animation strip (null: empty), drawn straight onto the window.
    virtual void DrawAnimationFrame(const TDib24* strip, int glyphs, int frame);

private:
    struct Animation {
        std::unique_ptr<TDib24> strip;
        int glyphs = 1;
        int interval = 40;
        bool running = false;
        int frame = 0;
    };

    void UseArial();
    // The point the button turns about, on the unturned button: its centre when fixed there.
    Point RotationPoint() const {
        return rotation_center_fixed_ ? Point{button_width_ / 2, button_height_ / 2}
                                      : Point{rotation_point_x_, rotation_point_y_};
    }
    bool AnimationRunning() const { return enter_.running || exit_.running || click_.running; }

    // Regions and window placement (shape_button_regions_win32.cpp).
    ContourSet BuildOutline();
    void TraceUserRegion(HRGN region);
    // The region the user gave last (by handle or as a string); null when none.
    HRGN UserRegion() const;
    void ApplyFrameSize();
    void Resized();
    void PlaceWindow(int left, int top, int width, int height, bool redraw);
    void EraseUncovered();
    void SizeChanged(int width, int height);
    void Moved();
    void FullRebuild();
    void Rerender();

    // Painting (shape_button_paint_win32.cpp).
    void FillFace();
    void FillGradient(TColor c1, TColor c2, int tone);
    TColor GradientStepColor(TColor c1, TColor c2, int n, int m, int tone) const;
    void DrawBevels(TCanvas& canvas);
    void DrawGradientBevels(bool outer, bool inner);
    void DrawCaption();
    void DrawRotationMarker(TCanvas& canvas);
    // Copies the pixels of `from` (only those inside `clip`) that are not of the source's
    // (0, 0) colour, onto the face or onto the window.
    void TransparentBlit(int x, int y, bool onto_window, const TDib24& source, Rect from, Rect clip);
    TColor Resolved(TColor color) const;

    // Interaction (shape_button_input_win32.cpp).
    void SyncPressedState();
    void StartAnimation(Animation& a);
    void StopAnimation(Animation& a);
    void AnimationTick();
    void AdvanceAnimation(Animation& a);
    void RetireAnimTimer();
    void SetAnimationBitmap(Animation& a, HBITMAP picture);
    void SetAnimationGlyphs(Animation& a, int value);
    void SetAnimationInterval(Animation& a, int value);

    // ---- Properties
    int caption_top_ = 5, caption_left_ = 5, caption_angle_ = 0;
    TShapeHAlign caption_halign_ = TShapeHAlign::haCenter;
    TShapeVAlign caption_valign_ = TShapeVAlign::vaCenter;
    bool caption_fixed_ = false;
    TShapeCaption3dKind caption_3d_kind_ = TShapeCaption3dKind::ckSimple;
    TColor button_color_ = clBtnFace, button_color1_ = clBtnShadow;
    TShapeButtonKind button_kind_ = TShapeButtonKind::bkRect;
    TShape3DKind button_3d_kind_ = TShape3DKind::dk3D;
    int button_depth_ = 2;
    bool transparent_ = false;
    int peaks_number_ = 6;
    int button_angle_ = 0, button_width_ = 0, button_height_ = 0;
    double radius_ratio_ = 0.5, arc_angle_ = 2 * std::numbers::pi / 3;
    bool custom_draw_ = false, show_focus_rgn_ = true;
    TShapeGradientKind gradient_kind_ = TShapeGradientKind::gkNone;
    int gradient_angle_ = 450;
    bool gradient_fixed_ = false;
    std::unique_ptr<TDib24> gradient_bitmap_;
    int gradient_bitmap_line_ = 0;
    std::unique_ptr<TDib24> main_bitmap_;
    int main_bitmap_glyphs_ = 1;
    int bitmap_top_ = 5, bitmap_left_ = 5;
    TShapeHAlign bitmap_halign_ = TShapeHAlign::haLeft;
    TShapeVAlign bitmap_valign_ = TShapeVAlign::vaTop;
    Animation enter_, exit_, click_;
    std::string string_button_region_;
    bool user_rgn_auto_ = true;
    int rotation_point_x_ = 0, rotation_point_y_ = 0;
    bool rotation_center_fixed_ = false;
    bool rotated_ = false;
    int rotated_time_ = 40, rotated_angle_ = 40;

    // ---- State
    std::unique_ptr<TShapeRotateTimer> rotate_timer_;
    int frame_width_ = 0, frame_height_ = 0;
    int angle_delta_ = 0;
    int loaded_left_ = 0, loaded_top_ = 0;
    bool position_recorded_ = false;
    int new_left_ = 0, new_top_ = 0;
    bool repositioning_ = false, skip_next_size_ = false, skip_next_move_ = false;
    bool is_loaded_ = false, self_sizing_ = false, designing_ = false;
    bool destroying_ = false;

    bool region_pending_ = false;
    Region outline_region_, frame_region_, inner_frame_region_;
    Region light_bevel_, dark_bevel_, light_bevel2_, dark_bevel2_, focus_region_;
    Region string_region_, handle_region_;
    int user_region_source_ = 0;  // -1 the string region, 1 the region given by handle, 0 none yet
    ContourSet user_contours_;
    Rect user_box_;
    TShapeButtonKind previous_kind_ = TShapeButtonKind::bkRect;
    ContourSet outline_;

    std::unique_ptr<TDib24> face_;
    TColor face_brush_color_ = clWhite;  // carried from one render to the next
    bool render_suppressed_ = false;
    DRAWITEMSTRUCT draw_item_{};
    bool pressed_ = false, active_ = false, mouse_over_ = false;
    bool painted_pressed_ = false, painted_mouse_over_ = false, painted_enabled_ = true;
    bool skip_first_focus_change_ = true;
    std::unique_ptr<TTimer> anim_timer_;
    // A timer that ended inside its own tick lives until the next one is made or retired.
    std::unique_ptr<TTimer> retired_timer_;
};

}  // namespace roadsum
