// Whether a value on the stack can be a return address: the bytes before it end in a call.
#pragma once

#include <cstdint>

#include "crash/process/memory_reader.h"

namespace roadsum {

// True when the 8 bytes before address are readable and end in a near call with a 32-bit
// displacement (E8), a far call with an immediate pointer (9A), or an indirect near or far
// call (FF /2, FF /3) of 2, 3, 4, 6 or 7 bytes.
bool LooksLikeReturnAddress(const MemoryReader& memory, std::uint32_t address);

}  // namespace roadsum
