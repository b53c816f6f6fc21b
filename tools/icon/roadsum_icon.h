// Roadsum's application icon, drawn in code: a road running to the horizon on a blue tile,
// with a gold coin above it.
#pragma once

#include <cstdint>
#include <vector>

namespace roadsum::art {

// The icon at size x size pixels, 0xAARRGGBB, top row first; transparent outside the tile.
std::vector<std::uint32_t> roadsum_icon(int size);

}  // namespace roadsum::art
