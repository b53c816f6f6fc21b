// A small anti-aliased rasteriser for pictures drawn in code at build time: shapes in unit
// coordinates (0..1 across the picture), sampled 4 x 4 times per pixel.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

namespace roadsum::art {

struct Rgba {
    double r = 0, g = 0, b = 0, a = 0;  // straight (not premultiplied) colour, 0..1
};

Rgba rgb(std::uint32_t rrggbb, double alpha = 1.0);

// A shape is a test whether a point of the unit square lies inside it.
using Shape = std::function<bool(double x, double y)>;

Shape polygon(std::vector<std::pair<double, double>> points);  // even-odd rule
Shape circle(double cx, double cy, double radius);
Shape ring(double cx, double cy, double outer, double inner);
Shape rounded_rect(double left, double top, double right, double bottom, double radius);

// A colour that may vary across the picture (a gradient).
using Paint = std::function<Rgba(double x, double y)>;
Paint solid(Rgba colour);
Paint vertical_gradient(Rgba top, Rgba bottom, double y0, double y1);

struct Layer {
    Shape shape;
    Paint paint;
};

// Renders the layers, the first at the bottom, into size x size pixels: 0xAARRGGBB, top row first.
std::vector<std::uint32_t> render(const std::vector<Layer>& layers, int size);

}  // namespace roadsum::art
