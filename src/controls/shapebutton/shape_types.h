// The shaped button's enumerations, in the order their ordinals are stored, and the angle
// arithmetic that every part of the button shares.
#pragma once

#include <cstdint>

namespace roadsum {

enum class TShapeButtonKind {
    bkRect, bkRoundRect, bkElliptic, bkPoly, bkPolyStar, bkArc, bkDonut,
    bkUser, bkArrow, bkArrow1, bkArrow2, bkCross, bkCutRect, bkCross1
};
constexpr int kShapeButtonKindCount = 14;

enum class TShape3DKind { dk3D, dkFlatten, dk3dsimple, dkFlattenSimple, dk3dBorder, dk3dBorderFlatten, dkNone };
constexpr int kShape3DKindCount = 7;

enum class TShapeGradientKind { gkNone, gkLinear, gkCircular };
enum class TShapeCaption3dKind { ckSimple, ckEmbossed, ckPressed };
enum class TShapeHAlign { haLeft, haCenter, haRight, haNone };
enum class TShapeVAlign { vaTop, vaCenter, vaBottom, vaNone };

// Angles are whole tenths of a degree, counter-clockwise on screen; 3600 is a full turn.
double AngleRadians(std::int64_t tenths);

// The same direction within -1799 ... 1800.
std::int32_t NormalizeAngle(std::int64_t tenths);

}  // namespace roadsum
