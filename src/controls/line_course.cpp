#include "controls/line_course.h"

#include <algorithm>
#include <cstdlib>

namespace roadsum {
namespace {

using T = TTechnicalLineTypes;
using E = TLineEndings;

enum class Way { kUp, kDown, kLeft, kRight };

LineShape Shape(LineShape::Kind kind, bool sign, std::vector<Point> points, Rect rect = {}, Point corner = {}) {
    return {kind, sign, false, std::move(points), rect, corner};
}

LineShape Moved(LineShape shape, int d) {
    for (Point& p : shape.points) p = {p.x + d, p.y + d};
    bool boxed = shape.kind != LineShape::kLine && shape.kind != LineShape::kPolyline && shape.kind != LineShape::kPolygon;
    if (boxed) shape.rect = shape.rect.Offset(d, d);
    shape.shadow = true;
    return shape;
}

// Appends shapes, each after its shadow copy when the shadow shows.
void Emit(std::vector<LineShape>& out, const std::vector<LineShape>& shapes, const LineCourse& c) {
    for (const LineShape& s : shapes) {
        if (c.shadow_visible) out.push_back(Moved(s, c.shadow_depth));
        out.push_back(s);
    }
}

void EmitStroke(std::vector<LineShape>& out, Point a, Point b, const LineCourse& c) {
    Emit(out, {Shape(LineShape::kLine, false, {a, b})}, c);
}

void EmitSign(std::vector<LineShape>& out, TLineEndings sign, const Rect& r, const LineCourse& c) {
    Emit(out, SignShapes(sign, r, c.pen_width), c);
}

bool StartSigned(TSignPlaces p) { return p == TSignPlaces::spStart || p == TSignPlaces::spBoth; }
bool EndSigned(TSignPlaces p) { return p == TSignPlaces::spEnd || p == TSignPlaces::spBoth; }

// The straight courses through the middle, in coordinates relative to the drawing rectangle,
// turned by a right angle for the vertical one.
void StraightCourse(std::vector<LineShape>& out, const LineCourse& c, int W, int H, int e, Point origin,
                    bool vertical) {
    int d = c.shadow_visible ? c.shadow_depth : 0;
    int s = c.sign_size + d;
    int length = vertical ? H : W;
    int across = (vertical ? W : H) / 2;
    auto at = [&](int along, int off) {
        return vertical ? Point{origin.x + off, origin.y + along} : Point{origin.x + along, origin.y + off};
    };
    auto sign_rect = [&](int from) {
        Point a = at(from, across - s / 2), b = at(from + s, across + s / 2);
        return Rect{a.x, a.y, b.x, b.y};
    };
    int line = across - d / 2;
    switch (c.places) {
        case TSignPlaces::spNoWhere:
            EmitStroke(out, at(e, across), at(length - d - e, across), c);
            break;
        case TSignPlaces::spEnd:
            EmitStroke(out, at(e, line), at(length - s, line), c);
            EmitSign(out, c.end_sign, sign_rect(length - s), c);
            break;
        case TSignPlaces::spStart:
            EmitSign(out, c.start_sign, sign_rect(0), c);
            EmitStroke(out, at(s - d, line), at(length - d - e, line), c);
            break;
        case TSignPlaces::spBoth:
            EmitSign(out, c.start_sign, sign_rect(0), c);
            EmitStroke(out, at(s - d, line), at(length - s, line), c);
            EmitSign(out, c.end_sign, sign_rect(length - s), c);
            break;
    }
}

// A point moved from `p` toward `target` until it leaves a square of `half` around p.
Point Shortened(Point p, Point target, int half) {
    int dx = target.x - p.x, dy = target.y - p.y;
    int longest = std::max(std::abs(dx), std::abs(dy));
    if (longest == 0) return p;
    if (half >= longest) return target;
    return {p.x + dx * half / longest, p.y + dy * half / longest};
}

// The other courses. Without signs they fill the box (0, 0, w, h); with signs the box is
// inset by half a sign so that a sign square centred on an end stays inside, and each signed
// end is shortened to the edge of its square.
void CornerCourse(std::vector<LineShape>& out, const LineCourse& c, int W, int H, Point origin) {
    int d = c.shadow_visible ? c.shadow_depth : 0;
    int s = c.sign_size + d;
    bool start_signed = StartSigned(c.places), end_signed = EndSigned(c.places);
    int m = start_signed || end_signed ? s / 2 : 0;
    int w = W - d, h = H - d;
    int x0 = m, y0 = m, x1 = std::max(w - m, x0), y1 = std::max(h - m, y0);

    // The points in drawing order, the corner that curves bow toward and edges turn at,
    // and whether the start sign sits at the last point (the arrow table's orientation).
    std::vector<Point> pts;
    Point corner{};
    bool curve = false, reversed = false;
    switch (c.type) {
        case T::lsTopLeftToBottomRight: pts = {{x0, y0}, {x1, y1}}; break;
        case T::lsBottomLeftToTopRight: pts = {{x0, y1}, {x1, y0}}; break;
        case T::lsTopLeftEdge: pts = {{x0, y1}, {x0, y0}, {x1, y0}}; break;
        case T::lsBottomLeftEdge: pts = {{x0, y0}, {x0, y1}, {x1, y1}}; reversed = true; break;
        case T::lsTopRightEdge: pts = {{x0, y0}, {x1, y0}, {x1, y1}}; break;
        case T::lsBottomRightEdge: pts = {{x1, y0}, {x1, y1}, {x0, y1}}; break;
        case T::lsTopLeftCurve: pts = {{x0, y1}, {x1, y0}}; corner = {x0, y0}; curve = true; break;
        case T::lsBottomLeftCurve: pts = {{x0, y0}, {x1, y1}}; corner = {x0, y1}; curve = reversed = true; break;
        case T::lsTopRightCurve: pts = {{x0, y0}, {x1, y1}}; corner = {x1, y0}; curve = true; break;
        case T::lsBottomRightCurve: pts = {{x1, y0}, {x0, y1}}; corner = {x1, y1}; curve = true; break;
        default: return;
    }
    if (pts.size() == 3) corner = pts[1];
    auto in_box = [&](Point p) { return Point{origin.x + p.x, origin.y + p.y}; };
    auto square = [&](Point p) {
        Point a = in_box(p);
        return Rect{a.x - s / 2, a.y - s / 2, a.x - s / 2 + s, a.y - s / 2 + s};
    };
    // Where the course starts and ends; the start sits at the last point where the arrow
    // table puts it there.
    Point& start_point = reversed ? pts.back() : pts.front();
    Point& end_point = reversed ? pts.front() : pts.back();
    Point start = start_point, end = end_point;
    // Diagonals shorten toward their other end, edges and curves toward their corner.
    bool diagonal = pts.size() == 2 && !curve;
    int half = (s + 1) / 2;
    if (start_signed) start_point = Shortened(start, diagonal ? end : corner, half);
    if (end_signed) end_point = Shortened(end, diagonal ? start : corner, half);

    if (start_signed) EmitSign(out, c.start_sign, square(start), c);
    if (curve) {
        // The quarter of the ellipse centred on the corner opposite the named one.
        Point centre{x0 + x1 - corner.x, y0 + y1 - corner.y};
        int a = x1 - x0, b = y1 - y0;
        Rect ellipse = Rect{centre.x - a, centre.y - b, centre.x + a, centre.y + b}.Offset(origin.x, origin.y);
        // Counter-clockwise on the screen, all quarters but the bottom-left one run from their
        // last point to their first.
        bool turn = c.type != T::lsBottomLeftCurve;
        Point from = in_box(turn ? pts.back() : pts.front()), to = in_box(turn ? pts.front() : pts.back());
        Emit(out, {Shape(LineShape::kArc, false, {from, to}, ellipse)}, c);
    } else {
        for (std::size_t i = 0; i + 1 < pts.size(); ++i) EmitStroke(out, in_box(pts[i]), in_box(pts[i + 1]), c);
    }
    if (end_signed) EmitSign(out, c.end_sign, square(end), c);
}

Way Orientation(TTechnicalLineTypes type, bool at_start) {
    switch (type) {
        case T::lsStraightTopToBottom: return at_start ? Way::kUp : Way::kDown;
        case T::lsTopLeftEdge: case T::lsTopLeftCurve: return at_start ? Way::kDown : Way::kRight;
        case T::lsBottomLeftEdge: case T::lsBottomLeftCurve: return at_start ? Way::kRight : Way::kUp;
        case T::lsTopRightEdge: case T::lsTopRightCurve: return at_start ? Way::kLeft : Way::kDown;
        case T::lsBottomRightEdge: case T::lsBottomRightCurve: return at_start ? Way::kUp : Way::kLeft;
        default: return at_start ? Way::kLeft : Way::kRight;
    }
}

}  // namespace

std::vector<LineShape> SignShapes(TLineEndings sign, Rect r, int pen_width) {
    if (pen_width > 1) r = r.Inflated(-(pen_width / 2));
    int l = r.left, t = r.top, rt = r.right, b = r.bottom;
    int mx = (l + rt) / 2, my = (t + b) / 2, w = rt - l, h = b - t;
    auto poly = [](bool closed, std::vector<Point> p) {
        return std::vector<LineShape>{Shape(closed ? LineShape::kPolygon : LineShape::kPolyline, true, std::move(p))};
    };
    auto boxed = [&](LineShape::Kind kind, std::vector<Point> p = {}, Point corner = {}) {
        return std::vector<LineShape>{Shape(kind, true, std::move(p), r, corner)};
    };
    switch (sign) {
        case E::leNothing: return {};
        case E::leOpenArrowUp: return poly(false, {{l, b}, {mx, t}, {rt, b}});
        case E::leOpenArrowDown: return poly(false, {{l, t}, {mx, b}, {rt, t}});
        case E::leOpenArrowRight: return poly(false, {{l, t}, {rt, my}, {l, b}});
        case E::leOpenArrowLeft: return poly(false, {{rt, t}, {l, my}, {rt, b}});
        case E::leClosedArrowUp: return poly(true, {{l, b}, {mx, t}, {rt, b}});
        case E::leClosedArrowDown: return poly(true, {{l, t}, {mx, b}, {rt, t}});
        case E::leClosedArrowRight: return poly(true, {{l, t}, {rt, my}, {l, b}});
        case E::leClosedArrowLeft: return poly(true, {{rt, t}, {l, my}, {rt, b}});
        case E::leDiamond: return poly(true, {{mx, t}, {rt, my}, {mx, b}, {l, my}});
        case E::leCircle: return boxed(LineShape::kEllipse);
        case E::leRectangle: return boxed(LineShape::kRectangle);
        case E::leRoundRect: return boxed(LineShape::kRoundRect, {}, {w / 4, h / 4});
        case E::leParallelogramm: return poly(true, {{l + w / 4, t}, {rt, t}, {rt - w / 4, b}, {l, b}});
        case E::leComb:
            return poly(true, {{mx, t}, {rt, t + h / 4}, {rt, b - h / 4}, {mx, b}, {l, b - h / 4}, {l, t + h / 4}});
        // Half ellipses, counter-clockwise from the first radial to the second.
        case E::leHalfCircleLeft: return boxed(LineShape::kPie, {{mx, t}, {mx, b}});
        case E::leHalfCircleRight: return boxed(LineShape::kPie, {{mx, b}, {mx, t}});
        case E::leHalfCircleUp: return boxed(LineShape::kPie, {{rt, my}, {l, my}});
        case E::leHalfCircleDown: return boxed(LineShape::kPie, {{l, my}, {rt, my}});
    }
    return {};
}

std::vector<LineShape> LineCourseShapes(const LineCourse& course, const Rect& area) {
    std::vector<LineShape> out;
    int e = course.pen_width / 2;
    Rect r = area.Inflated(-(e + 1));
    int W = r.Width(), H = r.Height();
    Point origin{r.left, r.top};
    switch (course.type) {
        case T::lsStraightLeftToRight: StraightCourse(out, course, W, H, e, origin, false); break;
        case T::lsStraightTopToBottom: StraightCourse(out, course, W, H, e, origin, true); break;
        default: CornerCourse(out, course, W, H, origin); break;
    }
    return out;
}

TLineEndings ArrowedSign(TLineEndings sign, TTechnicalLineTypes type, bool at_start) {
    bool open;
    switch (sign) {
        case E::leOpenArrowUp: case E::leOpenArrowDown: case E::leOpenArrowLeft: case E::leOpenArrowRight:
            open = true;
            break;
        case E::leClosedArrowUp: case E::leClosedArrowDown: case E::leClosedArrowLeft: case E::leClosedArrowRight:
            open = false;
            break;
        default:
            return sign;
    }
    switch (Orientation(type, at_start)) {
        case Way::kUp: return open ? E::leOpenArrowUp : E::leClosedArrowUp;
        case Way::kDown: return open ? E::leOpenArrowDown : E::leClosedArrowDown;
        case Way::kLeft: return open ? E::leOpenArrowLeft : E::leClosedArrowLeft;
        case Way::kRight: return open ? E::leOpenArrowRight : E::leClosedArrowRight;
    }
    return sign;
}

}  // namespace roadsum
