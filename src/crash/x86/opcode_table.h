// The IA-32 opcode maps as data. Each entry names its mnemonic and operands in a compact text
// form that the decoder selects from and the formatter expands; keeping the maps as readable
// text lets them be checked line by line against the processor manual.
//
// Mnemonic text:
//   "%cc"    the condition code from the low 4 bits of the opcode (o, no, b, nb, e, ne, ...)
//   "%seg"   the segment register from bits 3 to 5 of the opcode (also usable as an operand)
//   '/'      prefix variants: none, 0x66, 0xF2, 0xF3; an empty or missing variant falls back
//            to the first
//   '|'      variants by the ModRM reg field; lists of 9 or more hold eight memory forms and
//            then eight register forms, and a register form may be split by '-' on the rm field
//   ':'      register-operand form, then memory-operand form
//   'S'      'd' with 0x66 or 0xF2, else 's';  'P' 's' with 0xF2 or 0xF3, else 'p'
// x87 entries get the prefix "f". An empty mnemonic marks an invalid encoding.
//
// Operand text: operands separated by ',', with the same '|', '/', ':' and '-' selection.
// Tokens follow the manual's letters: E (ModRM register or memory), G (ModRM reg), M (memory
// only), R (register from rm), S (segment register), C/D (control/debug register), P/N/Q (MMX),
// V/U/W (XMM), I (immediate), J (relative target), O (absolute offset), A (far pointer);
// sizes b, w, d, q, t (ten bytes), o (sixteen bytes), v (word or dword by operand size),
// z (immediate of operand size), p (far pointer), s (six-byte table pointer); "sIb" is a
// sign-extended byte, a trailing 'x' selects MMX or XMM by 0x66 ("Qdx": MMX with a dword in memory), and "Zb"/"Zv" take the register
// from the low 3 bits of the opcode.
#pragma once

#include <cstddef>
#include <cstdint>

namespace roadsum::x86 {

enum OpcodeFlag : std::uint16_t {
    kCall = 1 << 0,         // near or far call
    kJump = 1 << 1,         // unconditional jump
    kCondJump = 1 << 2,     // conditional jump, loop, jecxz
    kReturn = 1 << 3,       // ret, retf, iret
    kFar = 1 << 4,          // far transfer
    kString = 1 << 5,       // string instruction: shows rep/repne
    kAddrVariant = 1 << 6,  // the '/' variants follow the address-size prefix instead
    kGroupFF = 1 << 7,      // control flow by the reg field (call, call far, jmp, jmp far)
    kPrefix = 1 << 8,       // a prefix byte, not an instruction
    kEscape = 1 << 9,       // 0x0F: the two-byte map follows
    kX87 = 1 << 10,         // 0xD8..0xDF: the x87 map
    kThreeDNow = 1 << 11,   // 0x0F 0x0F: the operation is a suffix byte
};

// The ModRM reg values whose memory form takes a lock prefix, one bit each; every other form
// with lock raises the invalid-opcode fault.
constexpr std::uint8_t kLockAny = 0xFF;

struct OpcodeEntry {
    const char* mnemonic;
    const char* operands;
    std::uint16_t flags;
    std::uint8_t lock = 0;
};

extern const OpcodeEntry kOneByteMap[256];
extern const OpcodeEntry kTwoByteMap[256];
// The x87 escapes 0xD8 to 0xDF, each with eight memory and eight register forms.
extern const OpcodeEntry kX87Map[8];

// The 3DNow! operations, each "xx|name" with the suffix byte in hex.
extern const char* const kThreeDNowSuffixes[];
extern const std::size_t kThreeDNowSuffixCount;

}  // namespace roadsum::x86
