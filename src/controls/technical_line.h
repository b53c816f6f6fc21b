// The technical line: a windowless control that draws one line of a chosen course, with signs
// at its ends, a drop shadow and a bevel as it is set up; and the base of such decorative
// controls with their frame.
#pragma once

#include <functional>

#include "controls/deco_bevel.h"
#include "controls/line_course.h"
#include "toolkit/control.h"
#include "toolkit/pen.h"
#include "toolkit/property.h"

namespace roadsum {

// The frame around a decorative control.
class TDecoBevel {
public:
    TDecoBevelMode Mode() const { return s_.mode; }
    void SetMode(TDecoBevelMode v) { Set(s_.mode, v); }
    TDecoBevelCut StyleInner() const { return s_.style_inner; }
    void SetStyleInner(TDecoBevelCut v) { Set(s_.style_inner, v); }
    TDecoBevelCut StyleOuter() const { return s_.style_outer; }
    void SetStyleOuter(TDecoBevelCut v) { Set(s_.style_outer, v); }
    // Widths below 0 or above kMaxPixels are ignored.
    int WidthInner() const { return s_.width_inner; }
    void SetWidthInner(int v) { SetWidth(s_.width_inner, v); }
    int WidthOuter() const { return s_.width_outer; }
    void SetWidthOuter(int v) { SetWidth(s_.width_outer, v); }
    int BorderWidth() const { return s_.border_width; }
    void SetBorderWidth(int v) { SetWidth(s_.border_width, v); }
    int BorderInnerWidth() const { return s_.border_inner_width; }
    void SetBorderInnerWidth(int v) { SetWidth(s_.border_inner_width, v); }
    unsigned BorderSides() const { return s_.border_sides; }  // TDecoBorderSide bits
    void SetBorderSides(unsigned v) { Set(s_.border_sides, v & kAllBorderSides); }
    TColor BorderColor() const { return s_.border_color; }
    void SetBorderColor(TColor v) { Set(s_.border_color, v); }
    TColor LightColor() const { return s_.light_color; }
    void SetLightColor(TColor v) { Set(s_.light_color, v); }
    TColor ShadowColor() const { return s_.shadow_color; }
    void SetShadowColor(TColor v) { Set(s_.shadow_color, v); }
    TDecoEdgeStyle EdgeStyle() const { return s_.edge_style; }
    void SetEdgeStyle(TDecoEdgeStyle v) { Set(s_.edge_style, v); }
    TDecoStandardStyle StandardStyle() const { return s_.standard_style; }
    void SetStandardStyle(TDecoStandardStyle v) { Set(s_.standard_style, v); }

    // How far the frame reaches in from every side; 0 draws nothing and takes no room.
    int Thickness() const { return DecoBevelThickness(s_); }
    // Draws the frame on the edges of r and leaves r as the room inside it.
    void Paint(TCanvas& canvas, RECT& r) const;

    std::function<void()> OnChange;

private:
    template <typename V>
    void Set(V& field, V value) {
        SetProperty(field, value, [this] {
            if (OnChange) OnChange();
        });
    }
    void SetWidth(int& field, int value) {
        if (value >= 0 && value <= kMaxPixels) Set(field, value);
    }

    DecoBevelSettings s_;
};

// A windowless decorative control with a frame, transparent or filled with its colour.
class TDecoGraphicControl : public TGraphicControl {
public:
    explicit TDecoGraphicControl(TWinControl* parent);

    bool Transparent() const override { return transparent_; }
    void SetTransparent(bool value);
    TDecoBevel& Bevel() { return bevel_; }
    const TDecoBevel& Bevel() const { return bevel_; }

    TNotifyEvent OnMouseEnter, OnMouseExit;

protected:
    void MouseEnter() override;
    void MouseLeave() override;
    // Fills the background when opaque and draws the frame; returns the room inside it.
    RECT PaintBackground(TCanvas& canvas);

private:
    bool transparent_ = true;
    TDecoBevel bevel_;
};

class TTechnicalLine : public TDecoGraphicControl {
public:
    explicit TTechnicalLine(TWinControl* parent);

    TTechnicalLineTypes LineType() const { return course_.type; }
    // With Arrowed on, the arrow signs first turn to suit the new course.
    void SetLineType(TTechnicalLineTypes value);
    // The pen of the line and of the signs' outlines; setting any of it repaints.
    TPen& LineSettings() { return line_settings_; }
    const TPen& LineSettings() const { return line_settings_; }
    TLineEndings LineStartSign() const { return course_.start_sign; }
    void SetLineStartSign(TLineEndings value);
    TLineEndings LineEndingsign() const { return course_.end_sign; }
    void SetLineEndingsign(TLineEndings value);
    TSignPlaces SignPlaces() const { return course_.places; }
    void SetSignPlaces(TSignPlaces value) { Set(course_.places, value); }
    int SignSize() const { return course_.sign_size; }
    // Sizes and depths beyond kMaxPixels either way are ignored.
    void SetSignSize(int value) {
        if (InPixelRange(value)) Set(course_.sign_size, value);
    }
    TColor FillColor() const { return fill_color_; }
    void SetFillColor(TColor value) { Set(fill_color_, value); }
    bool ShadowVisible() const { return course_.shadow_visible; }
    void SetShadowVisible(bool value) { Set(course_.shadow_visible, value); }
    int ShadowDepth() const { return course_.shadow_depth; }
    void SetShadowDepth(int value) {
        if (InPixelRange(value)) Set(course_.shadow_depth, value);
    }
    TColor ShadowColor() const { return shadow_color_; }
    void SetShadowColor(TColor value) { Set(shadow_color_, value); }
    bool Arrowed() const { return arrowed_; }
    void SetArrowed(bool value) { arrowed_ = value; }
    bool ShapeOnly() const { return shape_only_; }
    void SetShapeOnly(bool value);

    void Paint(TCanvas& canvas) override;
    // With ShapeOnly and a shape built, only the drawn shape takes the mouse.
    bool HitTest(int x, int y) const override;
    // The region of the drawn shape (built while painting with ShapeOnly), or null.
    HRGN ShapeRegion() const { return region_.get(); }

private:
    template <typename V>
    void Set(V& field, V value) {
        SetProperty(field, value, [this] { Invalidate(); });
    }
    // Draws the shapes: styled, in the line's pens and fills; otherwise only their outlines in
    // what the context holds (traced into a path).
    void DrawShapes(TCanvas& canvas, const std::vector<LineShape>& shapes, bool styled);
    void BuildRegion(const std::vector<LineShape>& shapes);

    LineCourse course_;
    TPen line_settings_;
    TColor fill_color_ = clNone;
    TColor shadow_color_ = clBtnShadow;
    bool arrowed_ = false;
    bool shape_only_ = false;
    Region region_;
};

}  // namespace roadsum
