// Pictures for the picture tests and the benchmark, made by code so that they are the same
// on every run: a desktop-like screenshot, smooth gradients and noise.
#pragma once

#include <cstdint>

#include "crash/common/pixel_image.h"

namespace roadsum::testing {

// A small deterministic random number generator (no dependence on the library's engines).
class Lcg {
public:
    explicit Lcg(std::uint32_t seed) : state_(seed) {}
    std::uint32_t next() {
        state_ = state_ * 1664525u + 1013904223u;
        return state_ >> 8;
    }
    int below(int n) { return static_cast<int>(next() % static_cast<std::uint32_t>(n)); }

private:
    std::uint32_t state_;
};

// Desktop gradient, windows with title bars, frames, lines of "text", buttons, icons and one
// photo-like area, as a screen looks.
PixelImage screenshot_like(int width, int height, std::uint32_t seed = 1);

// Every pixel a random colour.
PixelImage noise(int width, int height, std::uint32_t seed = 7);

// Red across, green down, blue the mix: every channel changes smoothly.
PixelImage rainbow(int width, int height);

}  // namespace roadsum::testing
