#include "controls/technical_line.h"

#include <algorithm>

namespace roadsum {
namespace {

void DrawShape(TCanvas& canvas, const LineShape& s) {
    const RECT box{s.rect.left, s.rect.top, s.rect.right, s.rect.bottom};
    std::vector<POINT> pts;
    for (const Point& p : s.points) pts.push_back({p.x, p.y});
    switch (s.kind) {
        case LineShape::kLine:
            canvas.Line(pts[0].x, pts[0].y, pts[1].x, pts[1].y);
            break;
        case LineShape::kPolyline:
            canvas.Polyline(pts);
            break;
        case LineShape::kPolygon:
            canvas.Polygon(pts);
            break;
        case LineShape::kEllipse:
            canvas.Ellipse(box);
            break;
        case LineShape::kRectangle:
            canvas.Rectangle(box);
            break;
        case LineShape::kRoundRect:
            canvas.RoundRect(box, s.corner.x, s.corner.y);
            break;
        case LineShape::kPie:
            canvas.Pie(box, pts[0].x, pts[0].y, pts[1].x, pts[1].y);
            break;
        case LineShape::kArc:
            canvas.Arc(box, pts[0].x, pts[0].y, pts[1].x, pts[1].y);
            break;
    }
}

}  // namespace

// ---- TDecoBevel

void TDecoBevel::Paint(TCanvas& canvas, RECT& r) const {
    for (const BevelBand& band : DecoBevelBands(s_)) canvas.Frame3D(r, band.top_left, band.bottom_right, band.width, band.sides);
}

// ---- TDecoGraphicControl

TDecoGraphicControl::TDecoGraphicControl(TWinControl* parent) : TGraphicControl(parent) {
    bevel_.OnChange = [this] { Invalidate(); };
}

void TDecoGraphicControl::SetTransparent(bool value) {
    SetProperty(transparent_, value, [this] { Invalidate(); });
}

void TDecoGraphicControl::MouseEnter() {
    if (OnMouseEnter) OnMouseEnter(this);
}

void TDecoGraphicControl::MouseLeave() {
    if (OnMouseExit) OnMouseExit(this);
}

RECT TDecoGraphicControl::PaintBackground(TCanvas& canvas) {
    RECT r = ClientRect();
    if (!transparent_) {
        canvas.SetBrush(Color());
        canvas.FillRect(r);
    }
    bevel_.Paint(canvas, r);
    return r;
}

// ---- TTechnicalLine

TTechnicalLine::TTechnicalLine(TWinControl* parent) : TDecoGraphicControl(parent) {
    SetBounds(0, 0, 130, 45);
    line_settings_.OnChange = [this] { Invalidate(); };
}

void TTechnicalLine::SetLineType(TTechnicalLineTypes value) {
    bool changed = value != course_.type;
    if (arrowed_) {
        TLineEndings start = ArrowedSign(course_.start_sign, value, true);
        TLineEndings end = ArrowedSign(course_.end_sign, value, false);
        changed = changed || start != course_.start_sign || end != course_.end_sign;
        course_.start_sign = start;
        course_.end_sign = end;
    }
    course_.type = value;
    if (changed) Invalidate();
}

void TTechnicalLine::SetLineStartSign(TLineEndings value) {
    if (value == course_.start_sign) return;
    course_.start_sign = value;
    // A sign that is not drawn needs no repaint.
    if (course_.places == TSignPlaces::spStart || course_.places == TSignPlaces::spBoth) Invalidate();
}

void TTechnicalLine::SetLineEndingsign(TLineEndings value) {
    if (value == course_.end_sign) return;
    course_.end_sign = value;
    if (course_.places == TSignPlaces::spEnd || course_.places == TSignPlaces::spBoth) Invalidate();
}

void TTechnicalLine::SetShapeOnly(bool value) {
    SetProperty(shape_only_, value, [this] {
        if (!shape_only_) region_.reset();
        Invalidate();
    });
}

void TTechnicalLine::Paint(TCanvas& canvas) {
    RECT r = PaintBackground(canvas);
    course_.pen_width = line_settings_.Width();
    std::vector<LineShape> shapes = LineCourseShapes(course_, Rect{r.left, r.top, r.right, r.bottom});
    DrawShapes(canvas, shapes, true);
    if (shape_only_) BuildRegion(shapes);
}

void TTechnicalLine::DrawShapes(TCanvas& canvas, const std::vector<LineShape>& shapes, bool styled) {
    TPen shadow_pen = line_settings_;
    shadow_pen.SetColor(shadow_color_);
    for (const LineShape& s : shapes) {
        if (styled) {
            canvas.SetPen(s.shadow ? shadow_pen : line_settings_);
            // Closed signs are filled unless the fill colour is none; strokes never are.
            bool filled = s.sign && fill_color_ != clNone;
            canvas.SetBrush(filled ? (s.shadow ? shadow_color_ : fill_color_) : clNone);
        }
        DrawShape(canvas, s);
    }
}

// The shape's region: the figures the course encloses, joined with its strokes widened by
// the pen. Traced on a memory context of its own, so that the region is in the control's
// coordinates whatever the painting context's origin.
void TTechnicalLine::BuildRegion(const std::vector<LineShape>& shapes) {
    MemoryDC dc;
    LOGBRUSH brush{BS_SOLID, 0, 0};
    Pen pen(ExtCreatePen(PS_GEOMETRIC | PS_SOLID | PS_ENDCAP_FLAT | PS_JOIN_MITER,
                         std::max(1, line_settings_.Width()), &brush, 0, nullptr));
    SelectObjectScope select(dc.get(), pen.get());
    TCanvas canvas(dc.get());
    BeginPath(dc.get());
    DrawShapes(canvas, shapes, false);
    EndPath(dc.get());
    Region inside(PathToRegion(dc.get()));
    BeginPath(dc.get());
    DrawShapes(canvas, shapes, false);
    EndPath(dc.get());
    WidenPath(dc.get());
    Region outline(PathToRegion(dc.get()));
    Region shape(CreateRectRgn(0, 0, 0, 0));
    if (inside && outline) CombineRgn(shape.get(), inside.get(), outline.get(), RGN_OR);
    else if (inside || outline) CombineRgn(shape.get(), inside ? inside.get() : outline.get(), nullptr, RGN_COPY);
    region_ = std::move(shape);
}

bool TTechnicalLine::HitTest(int x, int y) const {
    if (shape_only_ && region_) return PtInRegion(region_.get(), x, y) != FALSE;
    return TDecoGraphicControl::HitTest(x, y);
}

}  // namespace roadsum
