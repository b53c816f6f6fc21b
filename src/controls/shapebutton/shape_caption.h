// The caption of the shaped button: how its accelerator marks split it into measured pieces
// and drawn runs, where the turned text goes, and the passes of the 3D caption kinds.
//
// "&&" shows one "&"; a single "&" underlines the character after it (a space when it ends
// the caption).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "controls/shapebutton/contours.h"
#include "controls/shapebutton/shape_geometry.h"
#include "controls/shapebutton/shape_types.h"

namespace roadsum {

struct TextExtent {
    std::int32_t width = 0, height = 0;
};
using MeasureText = std::function<TextExtent(std::string_view)>;

// The pieces whose widths add up to the caption's width as shown.
std::vector<std::string> CaptionPieces(std::string_view caption);

// The width of all pieces and the height of the first piece that has one.
TextExtent MeasureCaption(std::string_view caption, const MeasureText& measure);

// The runs drawn one after another along the text direction; empty runs are left out.
struct CaptionRun {
    std::string text;
    bool underline = false;
    friend bool operator==(const CaptionRun&, const CaptionRun&) = default;
};
std::vector<CaptionRun> CaptionRuns(std::string_view caption);

// One drawing of the caption: its tone (-1 darker, 0 the text colour, 1 lighter) and the
// offset added to both coordinates.
struct CaptionPass {
    int tone = 0;
    int offset = 0;
    friend bool operator==(const CaptionPass&, const CaptionPass&) = default;
};
std::vector<CaptionPass> CaptionPasses(TShapeCaption3dKind kind, bool pressed);

struct CaptionLayout {
    TextExtent text;                   // the measured caption
    std::int32_t caption_angle = 0;    // CaptionAngle
    std::int32_t button_angle = 0;     // ButtonAngle
    bool fixed = false;                // CaptionFixed: laid out on the unturned button, turned with it
    TShapeHAlign halign = TShapeHAlign::haCenter;
    TShapeVAlign valign = TShapeVAlign::vaCenter;
    std::int32_t left = 5, top = 5;    // CaptionLeft, CaptionTop for haNone, vaNone
    std::int32_t depth = 2;            // ButtonDepth
    FrameSize frame, button;
};

// Where the text's origin (the top-left corner of its first character cell) goes on the face.
Point CaptionOrigin(const CaptionLayout& layout);

// The pen after a run of `width` pixels drawn at `angle`.
Point AdvancePen(Point pen, std::int32_t angle, std::int32_t width);

}  // namespace roadsum
