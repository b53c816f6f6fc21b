// The geometry of the technical line: its courses, the signs at its ends and the orientation
// of arrow signs, as lists of shapes that a painter draws in order.
#pragma once

#include <vector>

#include "controls/geometry.h"

namespace roadsum {

enum class TTechnicalLineTypes {
    lsStraightLeftToRight, lsStraightTopToBottom, lsTopLeftToBottomRight, lsBottomLeftToTopRight,
    lsTopLeftEdge, lsBottomLeftEdge, lsTopRightEdge, lsBottomRightEdge,
    lsTopLeftCurve, lsBottomLeftCurve, lsTopRightCurve, lsBottomRightCurve
};

enum class TLineEndings {
    leNothing, leOpenArrowUp, leOpenArrowDown, leOpenArrowRight, leOpenArrowLeft,
    leClosedArrowUp, leClosedArrowDown, leClosedArrowLeft, leClosedArrowRight,
    leDiamond, leCircle, leRectangle, leRoundRect, leParallelogramm, leComb,
    leHalfCircleLeft, leHalfCircleRight, leHalfCircleUp, leHalfCircleDown
};

enum class TSignPlaces { spEnd, spStart, spBoth, spNoWhere };

// One shape. Lines and poly-lines leave out their last point; arcs and pies run counter-
// clockwise on the screen from the radial through points[0] to the one through points[1].
struct LineShape {
    enum Kind { kLine, kPolyline, kPolygon, kEllipse, kRectangle, kRoundRect, kPie, kArc };
    Kind kind = kLine;
    bool sign = false;    // signs take the fill brush; strokes are drawn with a hollow brush
    bool shadow = false;  // drawn in the shadow pen (and brush) before the shape it shadows
    std::vector<Point> points;
    Rect rect;
    Point corner;  // the corner ellipse of a round rectangle
    bool operator==(const LineShape&) const = default;
};

struct LineCourse {
    TTechnicalLineTypes type = TTechnicalLineTypes::lsStraightLeftToRight;
    TSignPlaces places = TSignPlaces::spEnd;
    TLineEndings start_sign = TLineEndings::leNothing;
    TLineEndings end_sign = TLineEndings::leClosedArrowRight;
    int pen_width = 1;
    int sign_size = 40;
    bool shadow_visible = false;
    int shadow_depth = 6;
};

// Everything the line draws inside `area` (the control less its bevel), in drawing order:
// each shape's shadow copy, when shown, comes right before it.
std::vector<LineShape> LineCourseShapes(const LineCourse& course, const Rect& area);

// A sign's shape in its rectangle; none for leNothing.
std::vector<LineShape> SignShapes(TLineEndings sign, Rect r, int pen_width);

// The arrow sign that suits a course at its start or end: an open arrow stays open and a
// closed one closed; other signs are returned as they are.
TLineEndings ArrowedSign(TLineEndings sign, TTechnicalLineTypes type, bool at_start);

}  // namespace roadsum
