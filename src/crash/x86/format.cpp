#include "crash/x86/format.h"

namespace roadsum::x86 {

namespace {

const char* const kGpr8[8] = {"al", "cl", "dl", "bl", "ah", "ch", "dh", "bh"};
const char* const kGpr16[8] = {"ax", "cx", "dx", "bx", "sp", "bp", "si", "di"};
const char* const kGpr32[8] = {"eax", "ecx", "edx", "ebx", "esp", "ebp", "esi", "edi"};
const char* const kControl[8] = {"cr0", "cr1", "cr2", "cr3", "cr4", "cr5", "cr6", "cr7"};
const char* const kDebug[8] = {"dr0", "dr1", "dr2", "dr3", "dr4", "dr5", "dr6", "dr7"};
const char* const kMmx[8] = {"mm0", "mm1", "mm2", "mm3", "mm4", "mm5", "mm6", "mm7"};
const char* const kXmm[8] = {"xmm0", "xmm1", "xmm2", "xmm3", "xmm4", "xmm5", "xmm6", "xmm7"};
const char* const kX87Regs[8] = {"st(0)", "st(1)", "st(2)", "st(3)", "st(4)", "st(5)", "st(6)", "st(7)"};

const char* size_word(std::uint8_t size) {
    switch (size) {
    case 1: return "byte";
    case 2: return "word";
    case 4: return "dword";
    case 6: return "fword";
    case 8: return "qword";
    case 10: return "tbyte";
    case 16: return "oword";
    default: return nullptr;
    }
}

void append_memory(const Instruction& ins, std::uint8_t size, std::string& out) {
    const MemoryOperand& m = ins.memory;
    if (const char* word = size_word(size)) {
        out += word;
        out += " ptr ";
    }
    if (m.segment >= 0) {
        out += kSegmentNames[m.segment];
        out += ':';
    }
    out += '[';
    const RegClass cls = m.address16 ? RegClass::kGpr16 : RegClass::kGpr32;
    bool any = false;
    if (m.base >= 0) {
        out += register_name(cls, static_cast<std::uint8_t>(m.base));
        any = true;
    }
    if (m.index >= 0) {
        if (any) out += '+';
        out += register_name(cls, static_cast<std::uint8_t>(m.index));
        if (m.scale > 1) {
            out += '*';
            out += static_cast<char>('0' + m.scale);
        }
        any = true;
    }
    if (m.base < 0 && m.disp_size) {
        // Without a base the displacement is an address (a table, a global): shown whole.
        if (any) out += '+';
        out += '$';
        append_hex(out, m.disp, m.address16 ? 4 : 8);
    } else if (m.disp_size) {
        const std::int32_t d = m.address16 ? static_cast<std::int16_t>(m.disp) : static_cast<std::int32_t>(m.disp);
        out += d < 0 ? '-' : '+';
        append_dollar_hex(out, d < 0 ? 0u - static_cast<std::uint32_t>(d) : static_cast<std::uint32_t>(d));
    }
    out += ']';
}

void append_operand(const Instruction& ins, const Operand& op, std::string& out) {
    switch (op.kind) {
    case OperandKind::kNone: break;
    case OperandKind::kRegister: out += register_name(op.reg_class, op.reg); break;
    case OperandKind::kMemory: append_memory(ins, op.size, out); break;
    case OperandKind::kImmediate:
        if (op.sign_extended && static_cast<std::int32_t>(op.value) < 0) {
            out += '-';
            append_dollar_hex(out, 0u - op.value);
        } else {
            append_dollar_hex(out, op.value);
        }
        break;
    case OperandKind::kTarget:
        out += '$';
        append_hex(out, op.value, 8);
        break;
    case OperandKind::kFarPointer:
        out += '$';
        append_hex(out, op.selector, 4);
        out += ":$";
        append_hex(out, op.value, op.size == 2 ? 4 : 8);
        break;
    case OperandKind::kOne: out += '1'; break;
    }
}

}  // namespace

const char* register_name(RegClass cls, std::uint8_t reg) {
    reg &= 7;
    switch (cls) {
    case RegClass::kGpr8: return kGpr8[reg];
    case RegClass::kGpr16: return kGpr16[reg];
    case RegClass::kGpr32: return kGpr32[reg];
    case RegClass::kSegment: return kSegmentNames[reg];
    case RegClass::kControl: return kControl[reg];
    case RegClass::kDebug: return kDebug[reg];
    case RegClass::kMmx: return kMmx[reg];
    case RegClass::kXmm: return kXmm[reg];
    case RegClass::kX87: return kX87Regs[reg];
    }
    return "?";
}

void append_hex(std::string& out, std::uint32_t value, int digits) {
    static const char kHex[] = "0123456789abcdef";
    for (int i = digits - 1; i >= 0; --i) out += kHex[(value >> (4 * i)) & 15];
}

void append_dollar_hex(std::string& out, std::uint32_t value) {
    out += '$';
    append_hex(out, value, value <= 0xFF ? 2 : value <= 0xFFFF ? 4 : 8);
}

void pad_to(std::string& out, std::size_t width) {
    if (out.size() < width) out.append(width - out.size(), ' ');
}

void format_instruction(const Instruction& ins, std::string& out) {
    const std::size_t line_start = out.size();
    append_hex(out, ins.start, 8);
    out += "   ";
    if (ins.prefixes & kPrefixLock) out += "lock ";
    if (ins.string_op) {
        if (ins.prefixes & kPrefixRep)
            out += "rep ";
        else if (ins.prefixes & kPrefixRepne)
            out += "repne ";
    }
    char mnemonic[32];
    const std::size_t n = expand_mnemonic(ins.mnemonic, ins.mnemonic_context, mnemonic, sizeof mnemonic);
    out.append(mnemonic, n);
    if (ins.operand_count == 0) return;
    out += ' ';
    if (out.size() - line_start < kOperandColumn) out.append(kOperandColumn - (out.size() - line_start), ' ');
    for (std::uint8_t i = 0; i < ins.operand_count; ++i) {
        if (i) out += ", ";
        append_operand(ins, ins.operands[i], out);
    }
}

void format_undecodable(std::uint32_t address, std::uint8_t byte, std::string& out) {
    append_hex(out, address, 8);
    out += "   db $";
    append_hex(out, byte, 2);
}

}  // namespace roadsum::x86
