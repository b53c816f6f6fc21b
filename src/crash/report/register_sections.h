// The "cpu registers" and "stack dump" sections, made from the processor context of the failure.
#pragma once

#include <cstdint>
#include <string>

#include "crash/process/memory_reader.h"

namespace roadsum {

// The registers the report shows.
struct CpuRegisters {
    std::uint32_t Eax = 0, Ebx = 0, Ecx = 0, Edx = 0, Esi = 0, Edi = 0, Eip = 0, Esp = 0, Ebp = 0;
};

// Nine lines "eax = 0012FF40" ... "ebp = 0012FF88".
std::string cpu_registers_text(const CpuRegisters& registers);

// Up to 20 lines of 16 bytes from the stack pointer, ending with the memory region that holds it
// (region_end is exclusive):
// "0012ff40  2d 58 45 00 de fa ed 0e - 01 00 00 00 07 00 00 00  -XE............."
// Bytes past the region are blanks. "" when nothing at the stack pointer can be read.
std::string stack_dump_text(const MemoryReader& memory, std::uint32_t stack_pointer, std::uint32_t region_end);

}  // namespace roadsum
