// The comment after an instruction line: the name of a call's or jump's target, or the text an
// operand points to.
#pragma once

#include <cstdint>
#include <string>

#include "crash/process/memory_reader.h"
#include "crash/x86/instruction.h"
#include "crash/x86/symbol_lookup.h"

namespace roadsum {

// True when the bytes look like text by the character-class counts; text receives them.
// Reading stops at 0, LF or 0xFF; any other control character means no text.
bool looks_like_text(const MemoryReader& reader, std::uint32_t address, std::string& text);

// The name to show for a call or jump target: its public or export name (an import stub is
// followed to the imported function), with " (module)" for a module other than the executable.
std::string target_name(std::uint32_t target, const MemoryReader& reader, const SymbolLookup& symbols);

// Appends "  ; name" or "  ; 'text'" (line padded to the comment column) when one applies.
void append_instruction_comment(const x86::Instruction& ins, const MemoryReader& reader, const SymbolLookup* symbols,
                                std::string& line);

}  // namespace roadsum
