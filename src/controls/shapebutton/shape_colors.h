// The colour functions of the shaped button and the colours of its bevels and frames. Every
// colour here is an RGB value ($00BBGGRR): callers resolve system colours first.
#pragma once

#include "controls/shapebutton/shape_types.h"
#include "toolkit/color.h"

namespace roadsum {

// Each channel 32 lighter, 255 from 224 on.
TColor LightenColor(TColor rgb);
// Each channel 32 darker, 0 below 32.
TColor DarkenColor(TColor rgb);
// R + G + B; below 361 a colour counts as dark.
int ColorBrightness(TColor rgb);
constexpr int kDarkBrightness = 361;
// Step m of n from c1 towards c2, each channel c1 + m (c2 - c1) div n; c1 when n is 0.
TColor BlendColor(TColor c1, TColor c2, int n, int m);
// The tone of a gradient step: -1 darker, 1 lighter, 2 lighter twice, anything else as it is.
TColor ToneColor(TColor rgb, int tone);

// Which bevel parts a 3D kind draws in the given mouse state.
struct BevelParts {
    bool outer = false;  // LightBevel and DarkBevel
    bool inner = false;  // LightBevel2, DarkBevel2 and the inner frame
    bool frame = false;  // the outline frame
    friend bool operator==(const BevelParts&, const BevelParts&) = default;
};
BevelParts VisibleBevelParts(TShape3DKind kind, bool mouse_over);

// The colours of a plain (not gradient) face's bevels and frames.
struct PlainBevelColors {
    TColor light = 0, dark = 0, light2 = 0, dark2 = 0;
    TColor frame = 0;  // outline, inner and focus frames
};
PlainBevelColors PlainBevel(TColor button_rgb, bool pressed, bool enabled);

}  // namespace roadsum
