// The instruction line: "0040100c   mov                eax, dword ptr [ebp+$08]".
#pragma once

#include <cstdint>
#include <string>

#include "crash/x86/instruction.h"

namespace roadsum::x86 {

// Column the mnemonic text is padded to, counted from the start of the line.
constexpr std::size_t kOperandColumn = 19;
// Column a comment ("  ; name") starts after.
constexpr std::size_t kCommentColumn = 40;

// Appends the instruction's line without a line break.
void format_instruction(const Instruction& ins, std::string& out);

// Appends the line for a byte that does not decode: "00401000   db $c4".
void format_undecodable(std::uint32_t address, std::uint8_t byte, std::string& out);

// Appends value as exactly digits lower-case hex digits.
void append_hex(std::string& out, std::uint32_t value, int digits);

// Appends "$" and value in hex with 2, 4 or 8 digits, the fewest that hold it.
void append_dollar_hex(std::string& out, std::uint32_t value);

// Pads out with blanks to width characters (nothing when already as long).
void pad_to(std::string& out, std::size_t width);

const char* register_name(RegClass cls, std::uint8_t reg);

}  // namespace roadsum::x86
