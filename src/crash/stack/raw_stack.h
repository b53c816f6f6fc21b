// The quick pre-collection of a stack: candidate return addresses only, found through the
// frame chain and the return-address test, without any function analysis. It is cheap enough
// to run where an exception is raised; the full trace of its result can follow later.
#pragma once

#include <cstdint>
#include <vector>

#include "crash/process/memory_reader.h"
#include "crash/stack/stack_trace_types.h"

namespace roadsum {

// The dwords of the stack range [low, high), the one at high - 4 last; false when the range
// is empty, too large for a thread's stack, or not readable as a whole.
bool ReadStackRange(const MemoryReader& memory, std::uint32_t low, std::uint32_t high, std::vector<std::uint32_t>& out);

// Scans [low, high) from high - 4 downwards and records each value that looks like a return
// address, sure when it sits in a frame slot of the chain from frame (the saved frame pointer
// below such a slot is skipped). When is_exception is set, the value equal to
// exception_address ends the scan and is not recorded. out receives a free first entry and
// the candidates in scan order; the result is their count. On any failure out is cleared and
// the result is 0.
int CollectRawStack(const MemoryReader& memory, std::uint32_t frame, std::uint32_t high, std::uint32_t low,
                    bool is_exception, std::uint32_t exception_address, std::vector<TDAPreStackItem>& out) noexcept;

}  // namespace roadsum
