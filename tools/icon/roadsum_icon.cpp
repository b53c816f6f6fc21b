#include "roadsum_icon.h"

#include "raster.h"

namespace roadsum::art {
namespace {

Shape both(Shape a, Shape b) {
    return [a = std::move(a), b = std::move(b)](double x, double y) { return a(x, y) && b(x, y); };
}

// A piece of the road's centre line between two depths; it widens towards the viewer.
Shape dash(double y0, double y1) {
    auto half = [](double y) { return 0.004 + 0.03 * (y - 0.42) / 0.54; };
    return polygon({{0.5 - half(y0), y0}, {0.5 + half(y0), y0}, {0.5 + half(y1), y1}, {0.5 - half(y1), y1}});
}

}  // namespace

std::vector<std::uint32_t> roadsum_icon(int size) {
    const Shape tile = rounded_rect(0.04, 0.04, 0.96, 0.96, 0.2);
    const std::vector<Layer> layers = {
        {tile, vertical_gradient(rgb(0x6F9BF7), rgb(0x2447B8), 0.04, 0.96)},
        // Ground below the horizon.
        {both(tile, polygon({{0, 0.42}, {1, 0.42}, {1, 1}, {0, 1}})), vertical_gradient(rgb(0x7FB069), rgb(0x3E7A35), 0.42, 0.96)},
        {both(tile, polygon({{0.12, 0.97}, {0.88, 0.97}, {0.56, 0.42}, {0.44, 0.42}})), solid(rgb(0x3A3F4B))},
        {both(tile, polygon({{0.12, 0.97}, {0.19, 0.97}, {0.452, 0.42}, {0.44, 0.42}})), solid(rgb(0xF2F4F8))},
        {both(tile, polygon({{0.81, 0.97}, {0.88, 0.97}, {0.56, 0.42}, {0.548, 0.42}})), solid(rgb(0xF2F4F8))},
        {dash(0.45, 0.51), solid(rgb(0xFFD54A))},
        {dash(0.57, 0.67), solid(rgb(0xFFD54A))},
        {dash(0.75, 0.92), solid(rgb(0xFFD54A))},
        // The coin: the cost of the trip.
        {circle(0.70, 0.25, 0.17), solid(rgb(0xF6C343))},
        {ring(0.70, 0.25, 0.17, 0.13), solid(rgb(0xC48A16))},
        {circle(0.66, 0.21, 0.045), solid(rgb(0xFFF1C0, 0.8))},
    };
    return render(layers, size);
}

}  // namespace roadsum::art
