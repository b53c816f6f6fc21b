// The return-address slots that the chain of saved frame pointers names.
#pragma once

#include <cstdint>
#include <vector>

#include "crash/process/memory_reader.h"

namespace roadsum {

// From frame pointer F: F+4 when low < F+4 < high, then along the saved frame pointers while
// they strictly increase and stay below high, each F'+4 above low. The slots come in
// increasing order; a chain that does not increase ends, so a self-referencing chain cannot
// loop.
std::vector<std::uint32_t> FrameSlots(const MemoryReader& memory, std::uint32_t frame, std::uint32_t low,
                                      std::uint32_t high);

}  // namespace roadsum
