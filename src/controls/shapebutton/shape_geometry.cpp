#include "controls/shapebutton/shape_geometry.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "controls/shapebutton/contour_math.h"
#include "controls/shapebutton/shape_types.h"

namespace roadsum {
namespace {

using contour_math::round_even;
using contour_math::saturate;

// Angles this close to a multiple of 90 degrees count as exact: the size goes to the sides as
// it is, without scaling.
constexpr double kAxisTolerance = 0.00001;

// The alignments of both directions share their order: start, centre, end, free.
std::int32_t aligned(int slot, std::int32_t area, std::int32_t size, std::int32_t inset, std::int32_t free) {
    switch (slot) {
        case 0: return inset;
        case 1: return saturate((static_cast<std::int64_t>(area) - size) / 2);
        case 2: return saturate(static_cast<std::int64_t>(area) - inset - size);
        default: return free;
    }
}

}  // namespace

std::int32_t AlignedOffset(TShapeHAlign align, std::int32_t area, std::int32_t size, std::int32_t inset,
                           std::int32_t free) {
    return aligned(static_cast<int>(align), area, size, inset, free);
}

std::int32_t AlignedOffset(TShapeVAlign align, std::int32_t area, std::int32_t size, std::int32_t inset,
                           std::int32_t free) {
    return aligned(static_cast<int>(align), area, size, inset, free);
}

double AngleRadians(std::int64_t tenths) { return static_cast<double>(tenths) * std::numbers::pi / 1800; }

std::int32_t NormalizeAngle(std::int64_t tenths) {
    std::int64_t r = tenths % 3600;
    if (r < 0) r += 3600;
    if (r > 1800) r -= 3600;
    return static_cast<std::int32_t>(r);
}

FrameSize TurnedFrameSize(std::int32_t w, std::int32_t h, std::int32_t angle) {
    const double t = AngleRadians(angle);
    const double c = std::abs(std::cos(t)), s = std::abs(std::sin(t));
    return {round_even(c * w + s * h), round_even(s * w + c * h)};
}

WindowPosition KeepRotationPoint(std::int32_t left, std::int32_t top, std::int32_t w, std::int32_t h,
                                 std::int32_t px, std::int32_t py, std::int32_t angle, std::int32_t delta) {
    const double hw = w / 2.0, hh = h / 2.0;
    // How far the window edge moves out as the button turns (g) and where the rotation point
    // goes relative to the centre (r), vertically and horizontally.
    auto gv = [&](double t) { return std::abs(std::sin(t) * w) / 2 + std::abs(std::cos(t) * h) / 2 - hh; };
    auto rv = [&](double t) { return std::cos(t) * (hh - py) + std::sin(t) * (px - hw); };
    auto gh = [&](double t) { return std::abs(std::sin(t) * h) / 2 + std::abs(std::cos(t) * w) / 2 - hw; };
    auto rh = [&](double t) { return std::sin(t) * (hh - py) + std::cos(t) * (hw - px); };
    const double now = AngleRadians(angle), before = AngleRadians(static_cast<std::int64_t>(angle) - delta);
    const std::int64_t dt = static_cast<std::int64_t>(round_even(gv(before))) + round_even(rv(now)) -
                            round_even(gv(now)) - round_even(rv(before));
    const std::int64_t dl = static_cast<std::int64_t>(round_even(gh(before))) + round_even(rh(now)) -
                            round_even(gh(now)) - round_even(rh(before));
    return {saturate(left + dl), saturate(top + dt)};
}

Point RotationPointOnFace(std::int32_t w, std::int32_t h, std::int32_t px, std::int32_t py, std::int32_t angle) {
    const double t = AngleRadians(angle), c = std::cos(t), s = std::sin(t);
    const double dx = px - w / 2.0, dy = py - h / 2.0;
    return {round_even(s * dy + c * dx + std::abs(c) * w / 2 + std::abs(s) * h / 2),
            round_even(c * dy - s * dx + std::abs(s) * w / 2 + std::abs(c) * h / 2)};
}

FittedButton FitButtonToWindow(std::int32_t width, std::int32_t height, std::int32_t bw, std::int32_t bh,
                               std::int32_t angle) {
    const double t = AngleRadians(angle);
    const double c = std::abs(std::cos(t)), s = std::abs(std::sin(t));
    if (s < kAxisTolerance) return {{width, height}, {width, height}};
    if (c < kAxisTolerance) return {{width, height}, {height, width}};
    const double box_w = c * bw + s * bh, box_h = s * bw + c * bh;
    const double scale = box_w >= 1 && box_h >= 1 ? std::max(width / box_w, height / box_h) : 1;
    return {{round_even(box_w * scale), round_even(box_h * scale)}, {round_even(scale * bw), round_even(scale * bh)}};
}

}  // namespace roadsum
