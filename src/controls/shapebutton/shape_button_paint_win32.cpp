// TShapeButton: rendering the face bitmap (face fill, gradient, glyph, caption, bevels and
// frames) and painting the window from it.
#include <algorithm>
#include <array>
#include <cstring>

#include "controls/shapebutton/shape_button.h"
#include "controls/shapebutton/shape_caption.h"
#include "controls/shapebutton/shape_colors.h"
#include "controls/shapebutton/shape_geometry.h"
#include "controls/shapebutton/shape_gradient.h"
#include "controls/shapebutton/shape_picture_win32.h"

namespace roadsum {
namespace {

constexpr int kGradientPen = 3;
constexpr TColor kMarkerBlue = 0xFF0000, kMarkerYellow = 0x00FFFF;

// Fills or frames a region with a solid colour.
void FillWith(TCanvas& canvas, HRGN region, TColor color) {
    if (!region) return;
    canvas.SetBrush(color);
    canvas.FillRegion(region);
}

void FrameWith(TCanvas& canvas, HRGN region, TColor color) {
    if (!region) return;
    canvas.SetBrush(color);
    canvas.FrameRegion(region);
}

}  // namespace

TColor TShapeButton::Resolved(TColor color) const { return static_cast<TColor>(ColorToRGB(color)); }

void TShapeButton::RenderFace() {
    if (render_suppressed_) return;
    const int width = std::max(frame_width_, 0), height = std::max(frame_height_, 0);
    if (!face_ || face_->Width() != std::max(width, 1) || face_->Height() != std::max(height, 1)) {
        face_ = std::make_unique<TDib24>(width, height);
    } else if (std::uint8_t* bits = face_->Bits()) {
        // As a freshly made bitmap would be.
        std::memset(bits, 0, static_cast<std::size_t>(face_->Stride()) * face_->Height());
    }
    {
        TCanvas canvas(face_->DC());
        if (custom_draw_) {
            canvas.SetBrush(face_brush_color_);
            canvas.FillRect({0, 0, width, height});
        } else {
            FillFace();
            DrawMainGlyph(pressed_);
            DrawCaption();
        }
        if (user_rgn_auto_ || button_kind_ != TShapeButtonKind::bkUser) DrawBevels(canvas);
        if (designing_) DrawRotationMarker(canvas);
    }
    face_brush_color_ = Enabled() ? button_color_ : LightenColor(Resolved(button_color_));
}

void TShapeButton::FillFace() {
    const TColor bc = Resolved(button_color_);
    if (gradient_kind_ != TShapeGradientKind::gkNone) {
        SelectClipRgn(face_->DC(), nullptr);
        if (Enabled())
            FillGradient(button_color_, button_color1_, 0);
        else
            FillGradient(LightenColor(bc), LightenColor(Resolved(button_color1_)), 2);
    } else if (button_color_ != clNone) {
        TCanvas canvas(face_->DC());
        canvas.SetBrush(Enabled() ? bc : LightenColor(bc));
        canvas.FillRect({0, 0, frame_width_, frame_height_});
    }
}

TColor TShapeButton::GradientStepColor(TColor c1, TColor c2, int n, int m, int tone) const {
    const ImageView sample = PixelsOf(gradient_bitmap_.get());
    if (!sample.empty()) {
        const int x = GradientSampleColumn(m, n, sample.width);
        const int y = GradientSampleRow(gradient_bitmap_line_, sample.height);
        return ToneColor(sample.pixel(x, y), tone);
    }
    return BlendColor(c1, c2, n, m);
}

void TShapeButton::FillGradient(TColor c1, TColor c2, int tone) {
    if (gradient_kind_ == TShapeGradientKind::gkNone) return;
    c1 = Resolved(c1);
    c2 = Resolved(c2);
    TCanvas canvas(face_->DC());
    if (gradient_kind_ == TShapeGradientKind::gkLinear) {
        const std::vector<GradientLine> lines = LinearGradientLines(frame_width_, frame_height_, gradient_angle_);
        const int n = static_cast<int>(lines.size()) - 1;
        for (int m = 0; m <= n; ++m) {
            canvas.SetPen(GradientStepColor(c1, c2, n, m, tone), kGradientPen);
            canvas.Line(lines[m].from.x, lines[m].from.y, lines[m].to.x, lines[m].to.y);
        }
        return;
    }
    // Outermost ring first, each filled with c1 until the next covers it.
    canvas.SetBrush(c1);
    const int n = CircularGradientSteps(frame_width_, frame_height_);
    const int cx = frame_width_ / 2, cy = frame_height_ / 2;
    for (int m = n; m >= 0; --m) {
        canvas.SetPen(GradientStepColor(c1, c2, n, m, tone), kGradientPen);
        canvas.Ellipse({cx - 3 * m, cy - 3 * m, cx + 3 * m, cy + 3 * m});
    }
}

void TShapeButton::DrawBevels(TCanvas& canvas) {
    const BevelParts parts = VisibleBevelParts(button_3d_kind_, mouse_over_);
    const bool focus = active_ && show_focus_rgn_;
    const TColor bc = Resolved(button_color_);
    if (gradient_kind_ == TShapeGradientKind::gkNone) {
        const PlainBevelColors c = PlainBevel(bc, pressed_, Enabled());
        if (parts.outer) {
            FillWith(canvas, light_bevel_.get(), c.light);
            FillWith(canvas, dark_bevel_.get(), c.dark);
        }
        if (parts.inner) {
            FillWith(canvas, light_bevel2_.get(), c.light2);
            FillWith(canvas, dark_bevel2_.get(), c.dark2);
            FrameWith(canvas, inner_frame_region_.get(), c.frame);
        }
        if (parts.frame) FrameWith(canvas, frame_region_.get(), c.frame);
        if (focus) FrameWith(canvas, focus_region_.get(), c.frame);
        return;
    }
    const TColor frame = DarkenColor(DarkenColor(bc));
    DrawGradientBevels(parts.outer, parts.inner);
    if (parts.inner) FrameWith(canvas, inner_frame_region_.get(), frame);
    if (parts.frame) FrameWith(canvas, frame_region_.get(), frame);
    if (focus && Enabled()) FrameWith(canvas, focus_region_.get(), DarkenColor(bc));
}

// Bevel bands painted with lightened and darkened copies of the face gradient.
void TShapeButton::DrawGradientBevels(bool outer, bool inner) {
    const TColor bc = Resolved(button_color_), bc1 = Resolved(button_color1_);
    const HDC dc = face_->DC();
    auto band = [&](HRGN region, bool light) {
        if (!region) return;
        SelectClipRgn(dc, region);
        if (light)
            FillGradient(LightenColor(bc), LightenColor(bc1), 1);
        else
            FillGradient(DarkenColor(bc), DarkenColor(bc1), -1);
    };
    if (outer) {
        // Pressed, the outer bevel turns inside out.
        band(light_bevel_.get(), !pressed_);
        band(dark_bevel_.get(), pressed_);
        SelectClipRgn(dc, nullptr);
    }
    if (inner) {
        band(light_bevel2_.get(), true);
        band(dark_bevel2_.get(), false);
        SelectClipRgn(dc, nullptr);
    }
}

void TShapeButton::DrawMainGlyph(bool pressed) {
    if (!main_bitmap_) return;
    const MainGlyphState state{.glyphs = main_bitmap_glyphs_,
                               .strip_width = main_bitmap_->Width(),
                               .strip_height = main_bitmap_->Height(),
                               .frame = {frame_width_, frame_height_},
                               .halign = bitmap_halign_,
                               .valign = bitmap_valign_,
                               .left = bitmap_left_,
                               .top = bitmap_top_,
                               .depth = button_depth_,
                               .pressed = pressed,
                               .enabled = Enabled(),
                               .mouse_over = mouse_over_};
    const ImageView strip = PixelsOf(main_bitmap_.get());
    const ImageView face = PixelsOf(face_.get());
    for (const GlyphDraw& d : MainGlyphDraws(state)) {
        if (transparent_) {
            TransparentBlit(d.x, d.y, false, *main_bitmap_, d.source, d.cell);
        } else if (d.merge) {
            // The face brush of a disabled button.
            BlitPixels(strip, d.source, d.cell, face, d.x, d.y, BlitMode::MergeCopy,
                       LightenColor(Resolved(button_color_)));
        } else {
            BlitPixels(strip, d.source, d.cell, face, d.x, d.y, BlitMode::Copy);
        }
    }
}

void TShapeButton::TransparentBlit(int x, int y, bool onto_window, const TDib24& source, Rect from,
                                   Rect clip) {
    const ImageView pixels = PixelsOf(&source);
    if (!onto_window) {
        BlitPixels(pixels, from, clip, PixelsOf(face_.get()), x, y, BlitMode::Transparent);
        return;
    }
    if (!HandleAllocated()) return;
    // The window's pixels are read, drawn over and put back.
    const ClientDC dc(Handle());
    const int width = Width(), height = Height();
    TDib24 copy(width, height);
    BitBlt(copy.DC(), 0, 0, width, height, dc.get(), 0, 0, SRCCOPY);
    BlitPixels(pixels, from, clip, PixelsOf(&copy), x, y, BlitMode::Transparent);
    BitBlt(dc.get(), 0, 0, width, height, copy.DC(), 0, 0, SRCCOPY);
}

void TShapeButton::DrawCaption() {
    const HDC dc = face_->DC();
    const TFont& font = Font();
    const SelectObjectScope base(dc, font.Handle());
    const MeasureText measure = [dc](std::string_view text) {
        SIZE size{};
        GetTextExtentPoint32A(dc, text.data(), static_cast<int>(text.size()), &size);
        return TextExtent{size.cx, size.cy};
    };
    const std::string& caption = Caption();
    const Point origin = CaptionOrigin({.text = MeasureCaption(caption, measure),
                                        .caption_angle = caption_angle_,
                                        .button_angle = button_angle_,
                                        .fixed = caption_fixed_,
                                        .halign = caption_halign_,
                                        .valign = caption_valign_,
                                        .left = caption_left_,
                                        .top = caption_top_,
                                        .depth = button_depth_,
                                        .frame = {frame_width_, frame_height_},
                                        .button = {button_width_, button_height_}});

    const TColor text_color = Enabled() ? font.Color() : button_color_;
    if (text_color == clNone) return;
    const TColor bc = Resolved(button_color_);
    const std::vector<CaptionRun> runs = CaptionRuns(caption);
    // The turned font without and with underline, and where each run starts: alike in every pass.
    std::array<TFont, 2> turned = {font, font};
    for (bool underline : {false, true}) {
        TFont& f = turned[underline];
        f.SetEscapement(caption_angle_);
        TFontStyle style = f.Style();
        style.Underline = underline;
        f.SetStyle(style);
    }
    std::vector<Point> starts;
    Point pen = origin;
    for (const CaptionRun& run : runs) {
        starts.push_back(pen);
        pen = AdvancePen(pen, caption_angle_, measure(run.text).width);
    }
    const int old_mode = SetBkMode(dc, TRANSPARENT);
    for (const CaptionPass& pass : CaptionPasses(caption_3d_kind_, pressed_)) {
        const TColor color = pass.tone > 0 ? LightenColor(bc) : pass.tone < 0 ? DarkenColor(bc) : Resolved(text_color);
        SetTextColor(dc, ColorToRGB(color));
        for (std::size_t i = 0; i < runs.size(); ++i) {
            const SelectObjectScope select(dc, turned[runs[i].underline].Handle());
            TextOutA(dc, starts[i].x + pass.offset, starts[i].y + pass.offset, runs[i].text.data(),
                     static_cast<int>(runs[i].text.size()));
        }
    }
    SetBkMode(dc, old_mode);
}

void TShapeButton::DrawRotationMarker(TCanvas& canvas) {
    const Point center = RotationPoint();
    const Point p = RotationPointOnFace(button_width_, button_height_, center.x, center.y, button_angle_);
    const bool dark = ColorBrightness(Resolved(button_color_)) < kDarkBrightness;
    const TColor first = dark ? clWhite : clBlack;
    canvas.SetPen(first);
    canvas.SetBrush(clNone);
    canvas.Line(p.x - 5, p.y, p.x - 2, p.y);
    canvas.Line(p.x + 3, p.y, p.x + 6, p.y);
    canvas.Line(p.x, p.y - 5, p.x, p.y - 2);
    canvas.Line(p.x, p.y + 3, p.x, p.y + 6);
    canvas.Ellipse({p.x - 2, p.y - 2, p.x + 3, p.y + 3});
    canvas.SetPen(dark ? kMarkerBlue : kMarkerYellow);
    canvas.Ellipse({p.x - 1, p.y - 1, p.x + 2, p.y + 2});
    canvas.Pixel(p.x, p.y, first);
}

void TShapeButton::PaintButton(TCanvas& canvas) {
    pressed_ = (draw_item_.itemState & ODS_SELECTED) != 0;
    if (pressed_ != painted_pressed_ || mouse_over_ != painted_mouse_over_ || Enabled() != painted_enabled_) {
        painted_pressed_ = pressed_;
        painted_mouse_over_ = mouse_over_;
        painted_enabled_ = Enabled();
        RenderFace();
    }
    if (region_pending_) {
        region_pending_ = false;
        // Applying the region moves nothing, but may ask for renders meanwhile.
        render_suppressed_ = true;
        HRGN region = outline_region_.release();
        // The system owns a region it took; one it refused is still ours.
        if (!SetWindowRgn(Handle(), region, TRUE) && region) DeleteObject(region);
        render_suppressed_ = false;
    }
    if (face_) BitBlt(canvas.Handle(), 0, 0, face_->Width(), face_->Height(), face_->DC(), 0, 0, SRCCOPY);
    if (OnPaint) OnPaint(this);
}

}  // namespace roadsum
