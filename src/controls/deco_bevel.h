// The frame of the decorative controls: its modes and styles, its thickness and the rings it
// is drawn with, from the outside in.
#pragma once

#include <vector>

#include "toolkit/color.h"

namespace roadsum {

enum class TDecoBevelMode { bmCustom, bmStandard, bmEdge, bmWindows };
enum class TDecoBevelCut { bvNone, bvLowered, bvRaised, bvFrameLowered, bvFrameRaised, bvNormal, bvShadow };
enum class TDecoEdgeStyle { esRaised, esSunken, esEtched, esBump };
enum class TDecoStandardStyle {
    lsNone, lsSingle, lsLowered, lsRaised, lsRaisedspb, lsLoweredspb, lsRaisedExt, lsLoweredExt,
    lsFrameInset, lsFrameOffset, lsWindowBorder, lsSingleRaised, lsSingleLowered, lsDoubleRaised, lsDoubleLowered
};
enum TDecoBorderSide : unsigned { beLeft = 1, beTop = 2, beRight = 4, beBottom = 8 };
constexpr unsigned kAllBorderSides = beLeft | beTop | beRight | beBottom;

struct DecoBevelSettings {
    TDecoBevelMode mode = TDecoBevelMode::bmCustom;
    TDecoBevelCut style_inner = TDecoBevelCut::bvNone, style_outer = TDecoBevelCut::bvNone;
    int width_inner = 1, width_outer = 1;
    int border_width = 0, border_inner_width = 0;
    unsigned border_sides = kAllBorderSides;
    TColor border_color = clBtnFace, light_color = clBtnHighlight, shadow_color = clBtnShadow;
    TDecoEdgeStyle edge_style = TDecoEdgeStyle::esEtched;
    TDecoStandardStyle standard_style = TDecoStandardStyle::lsSingleLowered;
};

// A band of `width` one-pixel rings: top and left edges in one colour, bottom and right in the
// other (clNone leaves an edge unpainted), on the sides given.
struct BevelBand {
    TColor top_left = clNone, bottom_right = clNone;
    int width = 0;
    unsigned sides = kAllBorderSides;
    bool operator==(const BevelBand&) const = default;
};

// The bands of a bevel from the outside in; their widths add up to its thickness.
std::vector<BevelBand> DecoBevelBands(const DecoBevelSettings& bevel);
// How far the bevel reaches in from every side; 0 draws nothing and takes no room.
int DecoBevelThickness(const DecoBevelSettings& bevel);

}  // namespace roadsum
