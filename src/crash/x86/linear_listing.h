// Instruction lines for a range of memory decoded from its first byte on, whatever lies there:
// bytes that do not decode become "db" lines and decoding goes on at the next byte.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "crash/process/memory_reader.h"
#include "crash/x86/symbol_lookup.h"

namespace roadsum {

// Calls line(address, length, text) for each instruction or undecodable byte in [begin, end);
// an instruction that would reach past end counts as undecodable. symbols may be null (no
// comments). With with_text false, text is left empty (only lengths are wanted).
void disassemble_linear(const MemoryReader& reader, std::uint32_t begin, std::uint32_t end, const SymbolLookup* symbols,
                        bool with_text,
                        const std::function<void(std::uint32_t, std::uint32_t, const std::string&)>& line);

}  // namespace roadsum
