#include "raster.h"

#include <algorithm>
#include <cmath>

namespace roadsum::art {

Rgba rgb(std::uint32_t c, double alpha) {
    return {((c >> 16) & 0xFF) / 255.0, ((c >> 8) & 0xFF) / 255.0, (c & 0xFF) / 255.0, alpha};
}

Shape polygon(std::vector<std::pair<double, double>> points) {
    return [points = std::move(points)](double x, double y) {
        bool inside = false;
        for (std::size_t i = 0, j = points.size() - 1; i < points.size(); j = i++) {
            auto [xi, yi] = points[i];
            auto [xj, yj] = points[j];
            if ((yi > y) != (yj > y) && x < (xj - xi) * (y - yi) / (yj - yi) + xi) inside = !inside;
        }
        return inside;
    };
}

Shape circle(double cx, double cy, double radius) {
    return [=](double x, double y) { return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= radius * radius; };
}

Shape ring(double cx, double cy, double outer, double inner) {
    return [=](double x, double y) {
        double d = (x - cx) * (x - cx) + (y - cy) * (y - cy);
        return d <= outer * outer && d >= inner * inner;
    };
}

Shape rounded_rect(double left, double top, double right, double bottom, double radius) {
    return [=](double x, double y) {
        if (x < left || x > right || y < top || y > bottom) return false;
        double cx = std::clamp(x, left + radius, right - radius);
        double cy = std::clamp(y, top + radius, bottom - radius);
        return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= radius * radius;
    };
}

Paint solid(Rgba colour) {
    return [=](double, double) { return colour; };
}

Paint vertical_gradient(Rgba top, Rgba bottom, double y0, double y1) {
    return [=](double, double y) {
        double t = std::clamp((y - y0) / (y1 - y0), 0.0, 1.0);
        return Rgba{top.r + (bottom.r - top.r) * t, top.g + (bottom.g - top.g) * t, top.b + (bottom.b - top.b) * t,
                    top.a + (bottom.a - top.a) * t};
    };
}

std::vector<std::uint32_t> render(const std::vector<Layer>& layers, int size) {
    constexpr int kSamples = 4;
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(size) * size);
    for (int py = 0; py < size; ++py)
        for (int px = 0; px < size; ++px) {
            // Premultiplied sums over the samples, each sample composited bottom to top.
            double r = 0, g = 0, b = 0, a = 0;
            for (int sy = 0; sy < kSamples; ++sy)
                for (int sx = 0; sx < kSamples; ++sx) {
                    double x = (px + (sx + 0.5) / kSamples) / size, y = (py + (sy + 0.5) / kSamples) / size;
                    double cr = 0, cg = 0, cb = 0, ca = 0;
                    for (const Layer& layer : layers) {
                        if (!layer.shape(x, y)) continue;
                        Rgba c = layer.paint(x, y);
                        cr = c.r * c.a + cr * (1 - c.a);
                        cg = c.g * c.a + cg * (1 - c.a);
                        cb = c.b * c.a + cb * (1 - c.a);
                        ca = c.a + ca * (1 - c.a);
                    }
                    r += cr, g += cg, b += cb, a += ca;
                }
            const double n = kSamples * kSamples;
            a /= n;
            auto channel = [&](double premultiplied) {
                return a > 0 ? static_cast<std::uint32_t>(std::lround(std::clamp(premultiplied / n / a, 0.0, 1.0) * 255)) : 0u;
            };
            std::uint32_t alpha = static_cast<std::uint32_t>(std::lround(a * 255));
            pixels[static_cast<std::size_t>(py) * size + px] = alpha << 24 | channel(r) << 16 | channel(g) << 8 | channel(b);
        }
    return pixels;
}

}  // namespace roadsum::art
