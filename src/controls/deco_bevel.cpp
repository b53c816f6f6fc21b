#include "controls/deco_bevel.h"

namespace roadsum {
namespace {

using Bands = std::vector<BevelBand>;

void Add(Bands& bands, TColor top_left, TColor bottom_right, int width) {
    if (width > 0) bands.push_back({top_left, bottom_right, width, kAllBorderSides});
}

// A style of the custom mode, `width` rings (the frame styles one more).
void AddCut(Bands& bands, TDecoBevelCut cut, int width, const DecoBevelSettings& b) {
    TColor light = b.light_color, shadow = b.shadow_color;
    switch (cut) {
        case TDecoBevelCut::bvNone:
            break;
        case TDecoBevelCut::bvLowered:
            Add(bands, shadow, light, width);
            break;
        case TDecoBevelCut::bvRaised:
            Add(bands, light, shadow, width);
            break;
        case TDecoBevelCut::bvFrameLowered:
            Add(bands, shadow, light, width);
            Add(bands, light, shadow, 1);
            break;
        case TDecoBevelCut::bvFrameRaised:
            Add(bands, light, shadow, width);
            Add(bands, shadow, light, 1);
            break;
        case TDecoBevelCut::bvNormal:
            Add(bands, shadow, shadow, width);
            break;
        case TDecoBevelCut::bvShadow:
            // A drop shadow: only the bottom and right edges are painted.
            Add(bands, clNone, shadow, width);
            break;
    }
}

// The platform's two-ring edges, outer ring first.
void AddEdge(Bands& bands, TDecoEdgeStyle style, const DecoBevelSettings& b) {
    TColor light = b.light_color, shadow = b.shadow_color;
    switch (style) {
        case TDecoEdgeStyle::esRaised:
            Add(bands, cl3DLight, cl3DDkShadow, 1);
            Add(bands, light, shadow, 1);
            break;
        case TDecoEdgeStyle::esSunken:
            Add(bands, shadow, light, 1);
            Add(bands, cl3DDkShadow, cl3DLight, 1);
            break;
        case TDecoEdgeStyle::esEtched:
            Add(bands, shadow, light, 1);
            Add(bands, light, shadow, 1);
            break;
        case TDecoEdgeStyle::esBump:
            Add(bands, light, shadow, 1);
            Add(bands, shadow, light, 1);
            break;
    }
}

void AddStandard(Bands& bands, TDecoStandardStyle style, const DecoBevelSettings& b) {
    TColor light = b.light_color, shadow = b.shadow_color, line = clWindowFrame;
    switch (style) {
        case TDecoStandardStyle::lsNone:
            break;
        case TDecoStandardStyle::lsSingle:
            Add(bands, line, line, 1);
            break;
        case TDecoStandardStyle::lsLowered:
            Add(bands, shadow, light, 1);
            break;
        case TDecoStandardStyle::lsRaised:
            Add(bands, light, shadow, 1);
            break;
        case TDecoStandardStyle::lsRaisedspb:
            Add(bands, light, cl3DDkShadow, 1);
            break;
        case TDecoStandardStyle::lsLoweredspb:
            Add(bands, cl3DDkShadow, light, 1);
            break;
        case TDecoStandardStyle::lsRaisedExt:
            AddEdge(bands, TDecoEdgeStyle::esRaised, b);
            break;
        case TDecoStandardStyle::lsLoweredExt:
            AddEdge(bands, TDecoEdgeStyle::esSunken, b);
            break;
        case TDecoStandardStyle::lsFrameInset:
            AddEdge(bands, TDecoEdgeStyle::esEtched, b);
            break;
        case TDecoStandardStyle::lsFrameOffset:
            AddEdge(bands, TDecoEdgeStyle::esBump, b);
            break;
        case TDecoStandardStyle::lsWindowBorder:
            Add(bands, clBtnFace, cl3DDkShadow, 1);
            Add(bands, light, shadow, 1);
            break;
        case TDecoStandardStyle::lsSingleRaised:
            Add(bands, line, line, 1);
            Add(bands, light, shadow, 1);
            break;
        case TDecoStandardStyle::lsSingleLowered:
            Add(bands, line, line, 1);
            Add(bands, shadow, light, 1);
            break;
        case TDecoStandardStyle::lsDoubleRaised:
            Add(bands, light, shadow, 2);
            break;
        case TDecoStandardStyle::lsDoubleLowered:
            Add(bands, shadow, light, 2);
            break;
    }
}

}  // namespace

std::vector<BevelBand> DecoBevelBands(const DecoBevelSettings& b) {
    Bands bands;
    switch (b.mode) {
        case TDecoBevelMode::bmCustom:
            if (b.style_inner == TDecoBevelCut::bvShadow) {
                // An inner shadow stands alone: the outer style and the border give way to it.
                AddCut(bands, TDecoBevelCut::bvShadow, b.width_inner, b);
            } else {
                if (b.style_outer != TDecoBevelCut::bvNone) AddCut(bands, b.style_outer, b.width_outer, b);
                Add(bands, b.border_color, b.border_color, b.border_width);
                if (b.style_inner != TDecoBevelCut::bvNone) AddCut(bands, b.style_inner, b.width_inner, b);
            }
            break;
        case TDecoBevelMode::bmStandard:
            AddStandard(bands, b.standard_style, b);
            break;
        case TDecoBevelMode::bmEdge:
            if (b.border_sides & kAllBorderSides) AddEdge(bands, b.edge_style, b);
            break;
        case TDecoBevelMode::bmWindows:
            // The platform's sunken client edge.
            AddEdge(bands, TDecoEdgeStyle::esSunken, b);
            break;
    }
    // Room inside the frame, left unpainted.
    Add(bands, clNone, clNone, b.border_inner_width);
    // The sides choose which edges are painted; the thickness is the same on every side.
    for (BevelBand& band : bands) band.sides = b.border_sides & kAllBorderSides;
    return bands;
}

int DecoBevelThickness(const DecoBevelSettings& bevel) {
    int thickness = 0;
    for (const BevelBand& band : DecoBevelBands(bevel)) thickness += band.width;
    return thickness;
}

}  // namespace roadsum
