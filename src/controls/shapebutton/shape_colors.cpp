#include "controls/shapebutton/shape_colors.h"

#include <algorithm>
#include <cstdint>

namespace roadsum {
namespace {

template <typename Channel>
TColor per_channel(TColor rgb, Channel f) {
    return RGBColor(f(RedOf(rgb)), f(GreenOf(rgb)), f(BlueOf(rgb)));
}

}  // namespace

TColor LightenColor(TColor rgb) {
    return per_channel(rgb, [](int c) { return c >= 224 ? 255 : c + 32; });
}

TColor DarkenColor(TColor rgb) {
    return per_channel(rgb, [](int c) { return c < 32 ? 0 : c - 32; });
}

int ColorBrightness(TColor rgb) { return RedOf(rgb) + GreenOf(rgb) + BlueOf(rgb); }

TColor BlendColor(TColor c1, TColor c2, int n, int m) {
    if (n == 0) return c1;
    auto channel = [&](int a, int b) {
        const std::int64_t v = a + static_cast<std::int64_t>(m) * (b - a) / n;
        return static_cast<int>(std::clamp<std::int64_t>(v, 0, 255));
    };
    return RGBColor(channel(RedOf(c1), RedOf(c2)), channel(GreenOf(c1), GreenOf(c2)), channel(BlueOf(c1), BlueOf(c2)));
}

TColor ToneColor(TColor rgb, int tone) {
    switch (tone) {
        case -1: return DarkenColor(rgb);
        case 1: return LightenColor(rgb);
        case 2: return LightenColor(LightenColor(rgb));
        default: return rgb;
    }
}

BevelParts VisibleBevelParts(TShape3DKind kind, bool over) {
    switch (kind) {
        case TShape3DKind::dk3D: return {true, false, true};
        case TShape3DKind::dkFlatten: return {over, false, over};
        case TShape3DKind::dk3dsimple: return {true, false, false};
        case TShape3DKind::dkFlattenSimple: return {over, false, false};
        case TShape3DKind::dk3dBorder: return {true, true, true};
        case TShape3DKind::dk3dBorderFlatten: return {over, over, over};
        case TShape3DKind::dkNone: return {over, false, false};
    }
    return {};
}

PlainBevelColors PlainBevel(TColor bc, bool pressed, bool enabled) {
    const TColor l = LightenColor(bc), d = DarkenColor(bc);
    const bool dark = ColorBrightness(bc) < kDarkBrightness;
    if (!enabled) {
        const TColor ll = LightenColor(l);
        return {ll, DarkenColor(l), ll, DarkenColor(l), dark ? LightenColor(ll) : d};
    }
    const TColor frame = dark ? LightenColor(l) : DarkenColor(d);
    return {pressed ? d : l, pressed ? l : d, l, d, frame};
}

}  // namespace roadsum
