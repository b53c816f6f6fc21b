// One decoded IA-32 instruction: where it lies, how it transfers control, and its operands in
// a form the formatter can print without going back to the bytes.
#pragma once

#include <cstdint>
#include <string_view>

#include "crash/x86/variant.h"

namespace roadsum::x86 {

enum class Flow : std::uint8_t { kNone, kCall, kJump, kCondJump, kReturn };
// Where a call's or jump's target comes from.
enum class TargetKind : std::uint8_t { kNone, kConstant, kMemory, kRegister };

enum PrefixBit : std::uint16_t {
    kPrefixLock = 1 << 0,
    kPrefixRepne = 1 << 1,
    kPrefixRep = 1 << 2,
    kPrefixOperandSize = 1 << 3,
    kPrefixAddressSize = 1 << 4,
    kPrefixSegment = 1 << 5,
};

enum class RegClass : std::uint8_t { kGpr8, kGpr16, kGpr32, kSegment, kControl, kDebug, kMmx, kXmm, kX87 };

enum class OperandKind : std::uint8_t { kNone, kRegister, kMemory, kImmediate, kTarget, kFarPointer, kOne };

struct Operand {
    OperandKind kind = OperandKind::kNone;
    RegClass reg_class = RegClass::kGpr32;
    std::uint8_t reg = 0;
    std::uint8_t size = 0;       // bytes: memory operand or immediate
    bool sign_extended = false;  // an immediate byte widened with its sign
    std::uint32_t value = 0;     // immediate, target, or far offset
    std::uint16_t selector = 0;  // far pointer
};

// The one memory operand an instruction can have.
struct MemoryOperand {
    std::int8_t base = -1;   // register number, -1 for none
    std::int8_t index = -1;
    std::uint8_t scale = 1;
    std::uint8_t disp_size = 0;  // 0, 1, 2 or 4 bytes
    bool address16 = false;
    std::int8_t segment = -1;    // override, -1 for none
    std::uint32_t disp = 0;      // sign-extended to 32 bits
};

struct Instruction {
    std::uint32_t start = 0;
    std::uint32_t end = 0;  // the next instruction
    std::uint8_t length = 0;
    bool valid = false;

    Flow flow = Flow::kNone;
    bool far_transfer = false;
    TargetKind target_kind = TargetKind::kNone;
    std::uint32_t target = 0;         // constant target
    std::uint8_t relative_size = 0;   // bytes of a relative target's displacement
    bool has_memory_address = false;  // a memory operand with neither base nor index
    std::uint32_t memory_address = 0;

    std::uint8_t operand_size = 4;  // 2 with the operand-size prefix
    std::uint8_t address_size = 4;  // 2 with the address-size prefix
    std::uint16_t prefixes = 0;     // PrefixBit

    // For the formatter.
    std::string_view mnemonic;  // the selected table variant, letters not yet expanded
    MnemonicContext mnemonic_context;
    bool string_op = false;
    std::uint8_t operand_count = 0;
    Operand operands[3];
    MemoryOperand memory;
};

}  // namespace roadsum::x86
