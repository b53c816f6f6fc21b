// The instruction decoder over the opcode tables.
#pragma once

#include <cstddef>
#include <cstdint>

#include "crash/process/memory_reader.h"
#include "crash/x86/instruction.h"

namespace roadsum::x86 {

constexpr std::size_t kMaxInstructionLength = 15;

// Decodes the instruction in bytes[0..size) that lies at address. Never reads past size; false
// (and out.valid false) when the bytes do not form a complete, defined instruction.
bool decode(const std::uint8_t* bytes, std::size_t size, std::uint32_t address, Instruction& out);

// Decodes the instruction at address, reading only what the reader can give.
bool decode_at(const MemoryReader& reader, std::uint32_t address, Instruction& out);

}  // namespace roadsum::x86
