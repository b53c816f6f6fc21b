// RotateRGN1: the polygon form of window regions, so that a shaped button can be turned by any
// angle and given a bevel.
//
// A system region is a list of axis-aligned rectangles and cannot be rotated as such. It is
// traced into closed polygons (contours) with nesting levels, the polygons are inset along
// their corner bisectors and turned about a centre, and regions are built back from them.
// Everything here is portable and stateless: regions enter as rectangle lists and leave as
// polygons; contours_win32.h turns those into system regions.
//
// Points are integer pixels, y grows downwards. Contour sets made from the same outline by
// InsetContours and RotateContours correspond vertex by vertex.
//
// Every routine accepts any input: counts that do not add up to the number of points are cut
// to the points there are (a negative count is 0; points beyond the counts belong to no
// contour), and coordinates that would leave the 32-bit range saturate at its ends. Nothing
// is reported; results are always defined.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "controls/geometry.h"

namespace roadsum {

// Rect: one rectangle of a region's rectangle list, left and top inside, right and bottom outside.
using Tpoints = std::vector<Point>;
using Tintegers = std::vector<std::int32_t>;

// Points with one number each: a corner kind while tracing, a contour number (from 1) after.
struct TRgnpoints {
    Tpoints points;
    Tintegers numbers;
};

// All vertices of all contours one after another, the vertex count of each contour and its
// nesting level (0 outer boundary, 1 hole, 2 island in a hole, ...). A contour is closed: its
// last vertex joins its first.
struct ContourSet {
    Tpoints points;
    Tintegers counts;
    Tintegers levels;
    friend bool operator==(const ContourSet&, const ContourSet&) = default;
};

// --- Tracing (RegionToContours without the region read) ---

// Corner kinds: 1 top-left, 2 top-right, 3 bottom-right, 4 bottom-left convex corners; -k the
// concave corner whose empty quadrant is the one a convex corner of kind k would fill.
// Rectangles that cover nothing (right <= left or bottom <= top) are ignored.
TRgnpoints ClassifyCorners(std::span<const Rect> rectangles);

// Chains classified corners into contours; the numbers of the result are contour numbers from
// 1, the points of each contour consecutive, clockwise on screen for an outer boundary.
TRgnpoints ChainCorners(const TRgnpoints& corners);

// The whole tracer: classify, chain, count, SimplifyContours, ContourLevels. An empty list gives
// an empty set; a list of rectangles that do not overlap (as a region's are) gives contours that
// enclose exactly the rectangles' pixels.
ContourSet TraceRectangles(std::span<const Rect> rectangles);

// Removes points that lie within 1/sqrt(2) of the line through their neighbours, in passes,
// while a contour has more than 4 points; a flat triangle is measured by its base, so a
// point in the middle of a straight edge stays. A one-pixel step lies exactly at 1/sqrt(2)
// and stays, so traced outlines keep every corner. A pass that would leave fewer than 3
// points is undone: a contour never vanishes.
// `contours.numbers` are contour numbers (renumbered from 1 on return); `counts` is updated.
void SimplifyContours(TRgnpoints& contours, Tintegers& counts);

// The level of each contour: how many other contours contain its first point (a stricter
// test than PointInContour that copes with vertices on the point's horizontal line). Where
// the first point lies on the other contour (two contours touching at a corner), the middle
// of the contour's first edge is tested instead.
Tintegers ContourLevels(const Tpoints& points, const Tintegers& counts);

// True when (x, y) lies inside the closed polygon: the edges crossing its horizontal line
// are odd in number on both sides. A point exactly on a crossing is outside.
bool PointInContour(std::span<const Point> contour, double x, double y);

// --- Transforming ---

// Moves every vertex about `distance` pixels into the filled area along its corner bisector
// (negative: outwards), then repairs neighbours whose moves crossed. Counts and levels stay.
ContourSet InsetContours(const ContourSet& contours, std::int32_t distance);

// Turns every point about (cx, cy) by `angle` tenths of a degree, counter-clockwise on screen.
Tpoints RotateContours(const Tpoints& points, std::int32_t cx, std::int32_t cy, std::int32_t angle);

// The same for a whole contour set; counts and levels stay.
ContourSet RotateContours(const ContourSet& contours, std::int32_t cx, std::int32_t cy, std::int32_t angle);

// Keeps the first point of each contour and each further point farther than `min_distance`
// from the last one kept; contours left with fewer than 3 points are dropped with their
// count and level.
ContourSet ThinContours(const ContourSet& contours, double min_distance);

// --- Polygons for regions ---

// A quadrilateral of a bevel band: outline j, inset j, inset j+1, outline j+1.
using Quad = std::array<Point, 4>;

struct BevelQuads {
    std::vector<Quad> light;  // top and left edges of a clockwise outline
    std::vector<Quad> dark;   // bottom and right edges
};

// The band between an outline and its inset (same counts), edge by edge, split on the 45
// degree diagonal. Points that do not correspond (different sizes) give no bands; a contour
// of one point has no edge.
BevelQuads BevelBands(const Tpoints& outline, const Tpoints& inset, const Tintegers& counts);

// How ContoursToRegion combines the contours' polygons (each filled alternately).
enum class RegionOp { Copy, Add, Subtract };

struct RegionStep {
    std::size_t first = 0;  // index of the contour's first point in ContourSet::points
    std::size_t count = 0;
    RegionOp op = RegionOp::Copy;
};

// The steps in their order: levels from 0 upwards, contour order within a level; the first
// contour is copied, then odd levels are subtracted and even levels added. Contours of fewer
// than 3 points enclose nothing and are left out, as are negative levels (a missing level
// counts as 0). No contours, no steps.
std::vector<RegionStep> RegionSteps(const ContourSet& contours);

}  // namespace roadsum
