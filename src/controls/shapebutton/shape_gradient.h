// The geometry of the gradient faces: the lines of a linear gradient and the rings of a
// circular one, three pixels apart, and which pixel of a sample bitmap gives a step's colour.
#pragma once

#include <cstdint>
#include <vector>

#include "controls/shapebutton/contours.h"

namespace roadsum {

struct GradientLine {
    Point from, to;  // drawn with a 3-pixel pen, the end point left out
    friend bool operator==(const GradientLine&, const GradientLine&) = default;
};

// The n + 1 lines (steps 0 ... n) of a linear gradient over an FW x FH face. They lie across
// the direction (sin, cos) of `angle` and sweep along it: angle 0 from the top down, 900 from
// left to right.
std::vector<GradientLine> LinearGradientLines(std::int32_t width, std::int32_t height, std::int32_t angle);

// n of a circular gradient: rings of radius 3m about the face's centre for m = n ... 0.
std::int32_t CircularGradientSteps(std::int32_t width, std::int32_t height);

// The sample bitmap's column for step m of n (limited to the last column; 0 when n is 0) and
// its row for the wanted line (0 when the line lies below the bitmap).
std::int32_t GradientSampleColumn(std::int32_t m, std::int32_t n, std::int32_t bitmap_width);
std::int32_t GradientSampleRow(std::int32_t line, std::int32_t bitmap_height);

}  // namespace roadsum
