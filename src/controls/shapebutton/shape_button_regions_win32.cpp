// TShapeButton: the outline, its insets, turning and regions (RebuildShape), the user
// region, and the window's size and place as the button turns or is resized.
#include <algorithm>

#include "controls/shapebutton/contour_math.h"
#include "controls/shapebutton/contours_win32.h"
#include "controls/shapebutton/region_string.h"
#include "controls/shapebutton/shape_button.h"
#include "controls/shapebutton/shape_geometry.h"
#include "controls/shapebutton/shape_outlines.h"
#include "controls/shapebutton/shape_picture_win32.h"
#include "toolkit/form.h"

namespace roadsum {
namespace {

using contour_math::saturate;

// The focus frame lies this far inside the bevel.
constexpr std::int64_t kFocusGap = 4;

bool IsBorderKind(TShape3DKind kind) {
    return kind == TShape3DKind::dk3dBorder || kind == TShape3DKind::dk3dBorderFlatten;
}

void Shift(ContourSet& set, std::int64_t dx, std::int64_t dy) {
    for (Point& p : set.points) p = {saturate(p.x + dx), saturate(p.y + dy)};
}

}  // namespace

// ---- The outline

ContourSet TShapeButton::BuildOutline() {
    switch (button_kind_) {
        case TShapeButtonKind::bkArc: {
            const ArcShape arc = ArcOutline(button_width_, button_height_, button_depth_, radius_ratio_, arc_angle_);
            if (arc.plain_rect) return arc.outline;
            // The arc decides the button's height, and with it the window's.
            button_height_ = arc.height;
            const FrameSize frame = TurnedFrameSize(button_width_, button_height_, button_angle_);
            self_sizing_ = true;
            PlaceWindow(Left(), Top(), frame.width, frame.height, previous_kind_ != TShapeButtonKind::bkArc);
            frame_width_ = frame.width;
            frame_height_ = frame.height;
            self_sizing_ = false;
            return arc.outline;
        }
        case TShapeButtonKind::bkUser:
            return UserOutline(user_contours_, user_box_, button_width_, button_height_, button_depth_);
        default:
            return KindOutline(button_kind_, {button_width_, button_height_, button_depth_, peaks_number_, radius_ratio_});
    }
}

void TShapeButton::RebuildShape() {
    outline_region_.reset();
    region_pending_ = false;
    if (button_kind_ == TShapeButtonKind::bkUser && !user_rgn_auto_) {
        // The user's region as it is: not turned, no bevel, and the window stays where it is
        // (a position computed for an earlier build would move it back there).
        outline_region_ = CopyRegion(UserRegion());
        if (!outline_region_) outline_region_.reset(CreateRectRgn(0, 0, 0, 0));
        new_left_ = Left();
        new_top_ = Top();
        angle_delta_ = 0;
        outline_.points.clear();
        outline_.counts.clear();
        outline_.levels.clear();
        region_pending_ = true;
        RenderFace();
        return;
    }
    ContourSet outline = BuildOutline();
    outline_ = outline;
    const Point center = RotationPoint();
    const WindowPosition place = KeepRotationPoint(Left(), Top(), button_width_, button_height_, center.x, center.y,
                                                   button_angle_, angle_delta_);
    new_left_ = place.left;
    new_top_ = place.top;
    angle_delta_ = 0;

    const std::int32_t depth = button_depth_;
    ContourSet inset1 = InsetContours(outline, depth);
    const std::int64_t focus_inset = IsBorderKind(button_3d_kind_) ? 2 * static_cast<std::int64_t>(depth) + kFocusGap
                                                                   : static_cast<std::int64_t>(depth) + kFocusGap;
    ContourSet focus = InsetContours(outline, saturate(focus_inset));
    ContourSet inset2 = InsetContours(inset1, depth);
    // Turned about the button's centre and centred in the window.
    const std::int64_t dx = (static_cast<std::int64_t>(frame_width_) - button_width_) / 2;
    const std::int64_t dy = (static_cast<std::int64_t>(frame_height_) - button_height_) / 2;
    for (ContourSet* set : {&outline, &focus, &inset1, &inset2}) {
        *set = RotateContours(*set, button_width_ / 2, button_height_ / 2, button_angle_);
        Shift(*set, dx, dy);
    }
    BevelRegions outer = BevelBandRegions(outline.points, inset1.points, outline.counts);
    BevelRegions inner = BevelBandRegions(inset2.points, inset1.points, outline.counts);
    light_bevel_ = std::move(outer.light);
    dark_bevel_ = std::move(outer.dark);
    light_bevel2_ = std::move(inner.light);
    dark_bevel2_ = std::move(inner.dark);
    outline_region_ = ContoursToRegion(outline);
    frame_region_ = CopyRegion(outline_region_.get());  // the outline goes to the window later
    inner_frame_region_ = ContoursToRegion(inset2);
    focus_region_ = ContoursToRegion(focus);
    // Applied to the window at the next paint.
    region_pending_ = true;
    RenderFace();
}

// ---- The user region

HRGN TShapeButton::UserRegion() const {
    return user_region_source_ == 1 ? handle_region_.get() : string_region_.get();
}

void TShapeButton::TraceUserRegion(HRGN region) {
    // Without a region nothing is left of an earlier one: the outline falls back to the rectangle.
    if (!region) {
        user_contours_ = {};
        user_box_ = {};
        return;
    }
    RECT box{};
    GetRgnBox(region, &box);
    user_box_ = {box.left, box.top, box.right, box.bottom};
    user_contours_ = RegionToContours(region);
}

void TShapeButton::SetUserRegion(HRGN region) {
    if (button_kind_ != TShapeButtonKind::bkUser || region == handle_region_.get()) return;
    handle_region_ = CopyRegion(region);
    if (region) DeleteObject(region);
    user_region_source_ = 1;
    if (user_rgn_auto_) TraceUserRegion(handle_region_.get());
    FullRebuild();
}

void TShapeButton::SetStringButtonRegion(const std::string& value) {
    if (value == string_button_region_) return;
    string_button_region_ = value;
    string_region_.reset();
    if (value.empty()) {
        string_region_.reset(CreateRectRgn(0, 0, button_width_, button_height_));
    } else if (const auto rects = ParseRegionData(DecodeRegionString(value))) {
        string_region_ = RegionOfRectangles(*rects);
    }
    user_region_source_ = -1;
    if (button_kind_ != TShapeButtonKind::bkUser) return;
    if (user_rgn_auto_) TraceUserRegion(string_region_.get());
    FullRebuild();
}

void TShapeButton::SetUserRGNAUTO(bool value) {
    if (value == user_rgn_auto_) return;
    user_rgn_auto_ = value;
    if (button_kind_ == TShapeButtonKind::bkUser && value) TraceUserRegion(UserRegion());
    FullRebuild();
}

// ---- Size, angle and place

void TShapeButton::ApplyFrameSize() {
    const FrameSize frame = TurnedFrameSize(button_width_, button_height_, button_angle_);
    frame_width_ = frame.width;
    frame_height_ = frame.height;
}

void TShapeButton::PlaceWindow(int left, int top, int width, int height, bool redraw) {
    if (HandleAllocated())
        SetWindowPos(Handle(), nullptr, left, top, width, height,
                     SWP_NOZORDER | SWP_NOACTIVATE | (redraw ? 0 : SWP_NOREDRAW));
    else
        SetBounds(left, top, width, height);
}

void TShapeButton::SetButtonWidth(int value) {
    if (value == button_width_ || value < 0) return;
    button_width_ = value;
    Resized();
}

void TShapeButton::SetButtonHeight(int value) {
    if (value == button_height_ || value < 0) return;
    button_height_ = value;
    Resized();
}

// The window takes the new size of the turned button, keeping the rotation point in place.
void TShapeButton::Resized() {
    ApplyFrameSize();
    RebuildShape();
    self_sizing_ = repositioning_ = true;
    PlaceWindow(new_left_, new_top_, frame_width_, frame_height_, true);
    self_sizing_ = repositioning_ = false;
    Invalidate();
}

void TShapeButton::SetButtonAngle(int value) {
    if (value == button_angle_) return;
    const std::int64_t delta = static_cast<std::int64_t>(value) - button_angle_;
    // Kept within one turn: only its direction matters.
    angle_delta_ = NormalizeAngle(delta);
    if (caption_fixed_) caption_angle_ = NormalizeAngle(caption_angle_ + delta);
    if (gradient_fixed_) gradient_angle_ = NormalizeAngle(gradient_angle_ + delta);
    button_angle_ = NormalizeAngle(value);
    caption_angle_ = NormalizeAngle(caption_angle_);
    gradient_angle_ = NormalizeAngle(gradient_angle_);
    ApplyFrameSize();
    RebuildShape();
    self_sizing_ = repositioning_ = skip_next_size_ = skip_next_move_ = true;
    EraseUncovered();
    skip_next_size_ = skip_next_move_ = true;
    PlaceWindow(new_left_, new_top_, frame_width_, frame_height_, false);
    repositioning_ = self_sizing_ = false;
    RenderFace();
    Invalidate();
    skip_next_size_ = skip_next_move_ = false;
}

// Has the parent repaint what the old shape covered and the new one will not.
void TShapeButton::EraseUncovered() {
    TWinControl* parent = Parent();
    if (!HandleAllocated() || !parent || !parent->HandleAllocated()) return;
    if (!region_pending_) {
        const bool plain_parent = dynamic_cast<TCustomForm*>(parent) || dynamic_cast<TPanel*>(parent);
        const ClientDC dc(Handle());
        TCanvas canvas(dc.get());
        canvas.SetBrush(plain_parent ? parent->Color() : clWhite);
        canvas.FillRect(ClientRect());
        return;
    }
    Region uncovered(CreateRectRgn(0, 0, 0, 0));
    Region next(CreateRectRgn(0, 0, 0, 0));
    if (!uncovered || !next) return;
    // A window without a region of its own covers its whole rectangle.
    if (GetWindowRgn(Handle(), uncovered.get()) == ERROR) SetRectRgn(uncovered.get(), 0, 0, Width(), Height());
    if (outline_region_)
        CombineRgn(next.get(), outline_region_.get(), nullptr, RGN_COPY);
    else
        SetRectRgn(next.get(), 0, 0, frame_width_, frame_height_);
    OffsetRgn(next.get(), new_left_ - Left(), new_top_ - Top());
    CombineRgn(uncovered.get(), uncovered.get(), next.get(), RGN_DIFF);
    OffsetRgn(uncovered.get(), Left(), Top());
    InvalidateRgn(parent->Handle(), uncovered.get(), TRUE);
}

void TShapeButton::SizeChanged(int width, int height) {
    frame_width_ = width;
    frame_height_ = height;
    if (!self_sizing_) {
        // Resized from outside (alignment, anchors): the button follows the window.
        const FittedButton fit = FitButtonToWindow(width, height, button_width_, button_height_, button_angle_);
        frame_width_ = fit.frame.width;
        frame_height_ = fit.frame.height;
        button_width_ = fit.button.width;
        button_height_ = fit.button.height;
        RebuildShape();
        if (frame_width_ != width || frame_height_ != height) {
            self_sizing_ = repositioning_ = true;
            PlaceWindow(new_left_, new_top_, frame_width_, frame_height_, true);
            repositioning_ = false;
        }
        Invalidate();
    }
    self_sizing_ = false;
}

void TShapeButton::Moved() {
    RenderFace();
    Invalidate();
    // While the layout is read, its position is the window's final place (see Loaded).
    if (!repositioning_ && !is_loaded_) {
        loaded_left_ = Left();
        loaded_top_ = Top();
        position_recorded_ = true;
    }
}

}  // namespace roadsum
