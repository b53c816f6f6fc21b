// The outline of each button kind as a contour set, in the unturned button's pixels
// (W x H, y downwards), before any inset or rotation.
#pragma once

#include <cstdint>

#include "controls/shapebutton/contours.h"
#include "controls/shapebutton/shape_types.h"

namespace roadsum {

// What the outline of a kind other than bkUser and bkArc depends on.
struct OutlineParams {
    std::int32_t width = 0, height = 0;
    std::int32_t depth = 2;         // ButtonDepth: corner radius and point spacing of round kinds
    std::int32_t peaks = 6;         // PeaksNumber of bkPoly and bkPolyStar
    double radius_ratio = 0.5;      // hole of bkDonut
};

// The outline of bkRect, bkRoundRect, bkElliptic, bkPoly, bkPolyStar, bkDonut and the arrow,
// cross and cut-corner kinds. bkArc and bkUser have builders of their own; asked here they
// give the rectangle.
ContourSet KindOutline(TShapeButtonKind kind, const OutlineParams& p);

ContourSet RectOutline(std::int32_t width, std::int32_t height);

// Points on the ellipse inscribed in W x H, from the top centre clockwise on screen, with
// both radii scaled by `scale`.
ContourSet EllipsePoints(std::int32_t width, std::int32_t height, std::int32_t count, double scale = 1.0);

// The number of points of a round outline: one every max(2, depth) pixels of the longer side,
// bounded so that an absurd size cannot exhaust memory.
std::int32_t RoundPointCount(std::int64_t extent, std::int32_t depth);

// bkArc: an annular sector opening upwards, which decides the button's height itself.
struct ArcShape {
    ContourSet outline;
    std::int32_t height = 0;  // the new ButtonHeight
    bool plain_rect = false;  // the arc angle is too small: the rectangle, height unchanged
    double outer_radius = 0, inner_radius = 0;
};
ArcShape ArcOutline(std::int32_t width, std::int32_t height, std::int32_t depth, double radius_ratio, double arc_angle);

// bkUser: traced contours scaled from their bounding box into W x H and thinned to points at
// least max(2, depth) apart; without contours, the thinned rectangle.
ContourSet UserOutline(const ContourSet& traced, const Rect& box, std::int32_t width, std::int32_t height,
                       std::int32_t depth);

}  // namespace roadsum
