// The setter rule of control properties: a value equal to the current one changes nothing;
// a new one is stored and then the control repaints or rebuilds.
#pragma once

#include <utility>

namespace roadsum {

// The most pixels a size, offset or width of a control may take: far beyond any screen, and
// small enough that sums of such values never overflow.
constexpr int kMaxPixels = 32767;
constexpr bool InPixelRange(int value) { return value >= -kMaxPixels && value <= kMaxPixels; }

template <typename V, typename Changed>
void SetProperty(V& field, V value, Changed&& changed) {
    if (field == value) return;
    field = std::move(value);
    changed();
}

}  // namespace roadsum
