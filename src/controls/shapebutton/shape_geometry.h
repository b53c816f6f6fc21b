// The arithmetic of a turned button: the window that holds it, the window position that keeps
// the rotation point still while it turns, and where that point lies on the face.
#pragma once

#include <cstdint>

#include "controls/shapebutton/contours.h"
#include "controls/shapebutton/shape_types.h"

namespace roadsum {

// Angles are whole tenths of a degree, counter-clockwise on screen; 3600 is a full turn.
double AngleRadians(std::int64_t tenths);

// The same direction within -1799 ... 1800.
std::int32_t NormalizeAngle(std::int64_t tenths);

struct FrameSize {
    std::int32_t width = 0, height = 0;
    friend bool operator==(const FrameSize&, const FrameSize&) = default;
};

// The bounding box of a W x H button turned by `angle`.
FrameSize TurnedFrameSize(std::int32_t width, std::int32_t height, std::int32_t angle);

struct WindowPosition {
    std::int32_t left = 0, top = 0;
    friend bool operator==(const WindowPosition&, const WindowPosition&) = default;
};

// The window's new top-left corner after the button (W x H, rotation point (px, py) in its
// unturned pixels) turned from angle - delta to angle, so that the rotation point keeps its
// place on the parent. A delta of 0 keeps the position.
WindowPosition KeepRotationPoint(std::int32_t left, std::int32_t top, std::int32_t width, std::int32_t height,
                                 std::int32_t px, std::int32_t py, std::int32_t angle, std::int32_t delta);

// Where the rotation point (px, py) of the unturned button lies in the window of the turned one.
Point RotationPointOnFace(std::int32_t width, std::int32_t height, std::int32_t px, std::int32_t py,
                          std::int32_t angle);

// The button and window sizes after the window was resized from outside to width x height:
// the button keeps its proportions and grows until its turned box covers the window.
struct FittedButton {
    FrameSize frame, button;
    friend bool operator==(const FittedButton&, const FittedButton&) = default;
};
FittedButton FitButtonToWindow(std::int32_t width, std::int32_t height, std::int32_t button_width,
                               std::int32_t button_height, std::int32_t angle);

// Where something `size` long starts when aligned in `area` keeping `inset` from the edges:
// at the start, centred, at the end, or at `free` for haNone and vaNone.
std::int32_t AlignedOffset(TShapeHAlign align, std::int32_t area, std::int32_t size, std::int32_t inset,
                           std::int32_t free);
std::int32_t AlignedOffset(TShapeVAlign align, std::int32_t area, std::int32_t size, std::int32_t inset,
                           std::int32_t free);

}  // namespace roadsum
