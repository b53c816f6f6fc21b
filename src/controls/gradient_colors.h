// The arithmetic of the gradient band: its band colours and where each band lies.
#pragma once

#include <vector>

#include "toolkit/color.h"

namespace roadsum {

constexpr int kMinColorBands = 2;
constexpr int kMaxColorBands = 256;

// The colours of `bands` bands (2 to 256) blending from one plain RGB colour to another:
// band 0 is exactly `from`, the last one `to` up to rounding.
std::vector<TColor> GradientBandColors(TColor from, TColor to, int bands);

struct BandSpan {
    int start = 0, size = 0;
};

// Where band `index` of `bands` lies along `extent` pixels. Each band reaches half a band into
// the next one, which paints over it, so that no gap can remain between rounded positions;
// each is at least one pixel.
BandSpan GradientBandSpan(int index, int bands, int extent);

}  // namespace roadsum
