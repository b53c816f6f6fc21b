// The shaped button's enumerations, in the order their ordinals are stored.
#pragma once

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

}  // namespace roadsum
