#include "crash/x86/decoder.h"

#include <algorithm>
#include <string_view>
#include <vector>

#include "crash/x86/opcode_table.h"
#include "crash/x86/operand_token.h"

namespace roadsum::x86 {

namespace {

// An operand variant's tokens, parsed once.
struct ParsedOperands {
    Token tokens[3] = {};
    std::uint8_t count = 0;
    bool valid = true;
};

// One variant of an entry chosen ahead of time, as pieces of its texts; an empty mnemonic marks
// an encoding without a variant.
struct Selection {
    std::uint16_t mnemonic_begin = 0, mnemonic_length = 0, operands_begin = 0, operands_length = 0;
};

// The variants of an entry depend on the prefix class, the reg field and whether the operand is
// a register; those that also depend on the rm field are chosen while decoding.
constexpr std::size_t kSelectionsPerEntry = 4 * 8 * 2;
std::size_t selection_index(PrefixClass prefix, std::uint8_t reg, bool register_form) {
    return static_cast<std::size_t>(prefix) * 16 + reg * 2u + (register_form ? 1 : 0);
}

// What the decoder needs to know about an entry before it reads the ModRM byte, its operand
// texts parsed and its variants chosen; worked out once from the table text so that decoding
// neither parses nor searches text.
struct EntryInfo {
    bool modrm = false;
    bool split_by_mod = false;
    bool plain = false;  // neither text has variants: the whole texts apply
    bool by_rm = false;  // some variant depends on the rm field too
    std::uint32_t parsed = 0;      // index of the operand text's first character in TableInfo::parsed
    std::uint32_t selections = 0;  // index of the first of its selections in TableInfo::selections
    std::string_view mnemonic, operands;
};

struct TableInfo {
    EntryInfo one[256];
    EntryInfo two[256];
    EntryInfo x87[8];
    // For each character of each operand text: the operands of a variant starting there.
    std::vector<ParsedOperands> parsed;
    std::vector<Selection> selections;
};

bool is_separator(char c) { return c == '|' || c == '/' || c == ':' || c == '-'; }

// The operand list that starts at from and ends at the next variant separator.
ParsedOperands parse_operands(std::string_view ops, std::size_t from) {
    ParsedOperands p;
    std::size_t begin = from, i = from;
    for (;; ++i) {
        const bool end = i == ops.size() || is_separator(ops[i]);
        if (end || ops[i] == ',') {
            if (i > begin) {
                if (p.count == 3) {
                    p.valid = false;
                    return p;
                }
                p.tokens[p.count] = parse_token(ops.substr(begin, i - begin));
                if (p.tokens[p.count] == Token::kInvalid) p.valid = false;
                ++p.count;
            }
            begin = i + 1;
        }
        if (end) return p;
    }
}

// The selections of every key of an entry whose variants do not depend on the rm field.
void select_ahead(EntryInfo& info, std::vector<Selection>& selections) {
    info.selections = static_cast<std::uint32_t>(selections.size());
    for (std::size_t i = 0; i < kSelectionsPerEntry; ++i) {
        VariantKey key;
        key.prefix = static_cast<PrefixClass>(i / 16);
        key.reg = static_cast<std::uint8_t>(i / 2 % 8);
        key.register_form = i % 2 != 0;
        key.split_by_mod = info.split_by_mod;
        const std::string_view m = select_variant(info.mnemonic, key), o = select_variant(info.operands, key);
        Selection s;
        if (!m.empty()) {
            s.mnemonic_begin = static_cast<std::uint16_t>(m.data() - info.mnemonic.data());
            s.mnemonic_length = static_cast<std::uint16_t>(m.size());
        }
        if (!o.empty()) {
            s.operands_begin = static_cast<std::uint16_t>(o.data() - info.operands.data());
            s.operands_length = static_cast<std::uint16_t>(o.size());
        }
        selections.push_back(s);
    }
}

EntryInfo info_of(const OpcodeEntry& entry, std::vector<ParsedOperands>& parsed, std::vector<Selection>& selections) {
    EntryInfo info;
    const std::string_view mnemonic = entry.mnemonic;
    info.split_by_mod = splits_by_mod(mnemonic);
    info.modrm = (entry.flags & (kX87 | kThreeDNow)) != 0 || mnemonic.find_first_of("|:") != std::string_view::npos;
    const std::string_view ops = entry.operands;
    info.mnemonic = mnemonic;
    info.operands = ops;
    info.plain = mnemonic.find_first_of("|/:-") == std::string_view::npos && ops.find_first_of("|/:-") == std::string_view::npos;
    info.by_rm = mnemonic.find('-') != std::string_view::npos || ops.find('-') != std::string_view::npos;
    if (!info.plain && !info.by_rm) select_ahead(info, selections);
    info.parsed = static_cast<std::uint32_t>(parsed.size());
    for (std::size_t i = 0; i <= ops.size(); ++i) {
        parsed.push_back(i == 0 || is_separator(ops[i - 1]) ? parse_operands(ops, i) : ParsedOperands{});
        const ParsedOperands& p = parsed.back();
        for (std::uint8_t k = 0; k < p.count; ++k) info.modrm |= uses_modrm(p.tokens[k]);
    }
    return info;
}

const TableInfo& table_info() {
    static const TableInfo info = [] {
        TableInfo t;
        for (int i = 0; i < 256; ++i) {
            t.one[i] = info_of(kOneByteMap[i], t.parsed, t.selections);
            t.two[i] = info_of(kTwoByteMap[i], t.parsed, t.selections);
        }
        for (int i = 0; i < 8; ++i) t.x87[i] = info_of(kX87Map[i], t.parsed, t.selections);
        return t;
    }();
    return info;
}

// Reads little-endian fields; a read past the end marks the cursor failed.
struct Cursor {
    const std::uint8_t* bytes;
    std::size_t size;
    std::size_t pos = 0;
    bool ok = true;

    std::uint32_t take(std::size_t count) {
        if (pos + count > size) {
            ok = false;
            pos = size;
            return 0;
        }
        std::uint32_t v = 0;
        for (std::size_t i = 0; i < count; ++i) v |= static_cast<std::uint32_t>(bytes[pos + i]) << (8 * i);
        pos += count;
        return v;
    }
};

std::uint32_t sign_extend(std::uint32_t v, std::size_t bytes) {
    if (bytes == 1) return static_cast<std::uint32_t>(static_cast<std::int32_t>(static_cast<std::int8_t>(v)));
    if (bytes == 2) return static_cast<std::uint32_t>(static_cast<std::int32_t>(static_cast<std::int16_t>(v)));
    return v;
}

struct ModRM {
    bool present = false;
    std::uint8_t mod = 0, reg = 0, rm = 0;
    bool memory() const { return present && mod != 3; }
};

void decode_memory(Cursor& c, const ModRM& m, bool address16, MemoryOperand& mem) {
    mem.address16 = address16;
    if (address16) {
        static const std::int8_t kBase[8] = {3, 3, 5, 5, 6, 7, 5, 3};    // bx bx bp bp si di bp bx
        static const std::int8_t kIndex[8] = {6, 7, 6, 7, -1, -1, -1, -1};  // si di si di
        if (m.mod == 0 && m.rm == 6) {
            mem.disp_size = 2;
        } else {
            mem.base = kBase[m.rm];
            mem.index = kIndex[m.rm];
            mem.disp_size = m.mod == 1 ? 1 : m.mod == 2 ? 2 : 0;
        }
    } else {
        std::uint8_t base = m.rm;
        if (m.rm == 4) {
            const std::uint8_t sib = static_cast<std::uint8_t>(c.take(1));
            mem.scale = static_cast<std::uint8_t>(1u << (sib >> 6));
            const std::uint8_t index = (sib >> 3) & 7;
            if (index != 4) mem.index = static_cast<std::int8_t>(index);
            base = sib & 7;
        }
        if (m.mod == 0 && base == 5) {
            mem.disp_size = 4;
        } else {
            mem.base = static_cast<std::int8_t>(base);
            mem.disp_size = m.mod == 1 ? 1 : m.mod == 2 ? 4 : 0;
        }
    }
    if (mem.disp_size) mem.disp = sign_extend(c.take(mem.disp_size), mem.disp_size);
}

struct Context {
    Cursor& cursor;
    const ModRM& modrm;
    Instruction& ins;
    PrefixClass prefix;
    std::uint8_t opcode;
    bool control_move;  // mov to or from a control or debug register: rm is always a register
};

Operand reg_operand(RegClass cls, std::uint8_t reg) {
    Operand op;
    op.kind = OperandKind::kRegister;
    op.reg_class = cls;
    op.reg = reg;
    return op;
}

RegClass gpr_of_size(std::uint8_t size) {
    return size == 1 ? RegClass::kGpr8 : size == 2 ? RegClass::kGpr16 : RegClass::kGpr32;
}

// The rm operand: a register of cls, or memory of mem_size bytes.
bool rm_operand(const Context& c, RegClass cls, std::uint8_t mem_size, Operand& op) {
    if (!c.modrm.memory()) {
        op = reg_operand(cls, c.modrm.rm);
        return true;
    }
    op.kind = OperandKind::kMemory;
    op.size = mem_size;
    return true;
}

bool memory_only(const Context& c, std::uint8_t size, Operand& op) {
    if (!c.modrm.memory()) return false;
    op.kind = OperandKind::kMemory;
    op.size = size;
    return true;
}

bool register_only(const Context& c, RegClass cls, Operand& op) {
    if (c.modrm.memory() && !c.control_move) return false;
    op = reg_operand(cls, c.modrm.rm);
    return true;
}

bool immediate(Context& c, std::size_t size, bool sign, Operand& op) {
    op.kind = OperandKind::kImmediate;
    op.size = static_cast<std::uint8_t>(size);
    op.value = c.cursor.take(size);
    if (sign) {
        op.value = sign_extend(op.value, size);
        op.sign_extended = true;
    }
    return true;
}

bool fill_operand(Token t, Context& c, Operand& op) {
    const Instruction& ins = c.ins;
    const std::uint8_t v = ins.operand_size;
    const bool xmm = c.prefix == kPrefix66;
    switch (t) {
    case Token::kAL: op = reg_operand(RegClass::kGpr8, 0); return true;
    case Token::kCL: op = reg_operand(RegClass::kGpr8, 1); return true;
    case Token::kDX: op = reg_operand(RegClass::kGpr16, 2); return true;
    case Token::kAX: op = reg_operand(RegClass::kGpr16, 0); return true;
    case Token::kEAX: op = reg_operand(gpr_of_size(v), 0); return true;
    case Token::kST0: op = reg_operand(RegClass::kX87, 0); return true;
    case Token::kSTi: op = reg_operand(RegClass::kX87, c.modrm.rm); return true;
    case Token::kSegOpcode: op = reg_operand(RegClass::kSegment, (c.opcode >> 3) & 7); return true;
    case Token::kOne: op.kind = OperandKind::kOne; return true;
    case Token::kZb: op = reg_operand(RegClass::kGpr8, c.opcode & 7); return true;
    case Token::kZv: op = reg_operand(gpr_of_size(v), c.opcode & 7); return true;
    case Token::kZd: op = reg_operand(RegClass::kGpr32, c.opcode & 7); return true;
    case Token::kEb: return rm_operand(c, RegClass::kGpr8, 1, op);
    case Token::kEw: return rm_operand(c, RegClass::kGpr16, 2, op);
    case Token::kEd: return rm_operand(c, RegClass::kGpr32, 4, op);
    case Token::kEv: return rm_operand(c, gpr_of_size(v), v, op);
    case Token::kEdw: return rm_operand(c, RegClass::kGpr32, 2, op);
    case Token::kQ: return rm_operand(c, RegClass::kMmx, 8, op);
    case Token::kQx: return rm_operand(c, xmm ? RegClass::kXmm : RegClass::kMmx, xmm ? 16 : 8, op);
    case Token::kQdx: return rm_operand(c, xmm ? RegClass::kXmm : RegClass::kMmx, xmm ? 16 : 4, op);
    case Token::kW:
        return rm_operand(c, RegClass::kXmm, c.prefix == kPrefixF3 ? 4 : c.prefix == kPrefixF2 ? 8 : 16, op);
    case Token::kWo: return rm_operand(c, RegClass::kXmm, 16, op);
    case Token::kWq: return rm_operand(c, RegClass::kXmm, 8, op);
    case Token::kWd: return rm_operand(c, RegClass::kXmm, 4, op);
    case Token::kRd: return register_only(c, RegClass::kGpr32, op);
    case Token::kRv: return register_only(c, gpr_of_size(v), op);
    case Token::kRw: return register_only(c, RegClass::kGpr16, op);
    case Token::kN: return register_only(c, RegClass::kMmx, op);
    case Token::kNx: return register_only(c, xmm ? RegClass::kXmm : RegClass::kMmx, op);
    case Token::kU: return register_only(c, RegClass::kXmm, op);
    case Token::kM: return memory_only(c, 0, op);
    case Token::kMb: return memory_only(c, 1, op);
    case Token::kMw: return memory_only(c, 2, op);
    case Token::kMd: return memory_only(c, 4, op);
    case Token::kMq: return memory_only(c, 8, op);
    case Token::kMt: return memory_only(c, 10, op);
    case Token::kMo: return memory_only(c, 16, op);
    case Token::kMp: return memory_only(c, v == 2 ? 4 : 6, op);
    case Token::kMs: return memory_only(c, 6, op);
    case Token::kMa: return memory_only(c, v == 2 ? 4 : 8, op);
    case Token::kGb: op = reg_operand(RegClass::kGpr8, c.modrm.reg); return true;
    case Token::kGw: op = reg_operand(RegClass::kGpr16, c.modrm.reg); return true;
    case Token::kGd: op = reg_operand(RegClass::kGpr32, c.modrm.reg); return true;
    case Token::kGv: op = reg_operand(gpr_of_size(v), c.modrm.reg); return true;
    case Token::kSw:
        if (c.modrm.reg > 5) return false;
        op = reg_operand(RegClass::kSegment, c.modrm.reg);
        return true;
    case Token::kCd: op = reg_operand(RegClass::kControl, c.modrm.reg); return true;
    case Token::kDd: op = reg_operand(RegClass::kDebug, c.modrm.reg); return true;
    case Token::kP: op = reg_operand(RegClass::kMmx, c.modrm.reg); return true;
    case Token::kPx: op = reg_operand(xmm ? RegClass::kXmm : RegClass::kMmx, c.modrm.reg); return true;
    case Token::kV: op = reg_operand(RegClass::kXmm, c.modrm.reg); return true;
    case Token::kIb: return immediate(c, 1, false, op);
    case Token::kSIb: return immediate(c, 1, true, op);
    case Token::kIw: return immediate(c, 2, false, op);
    case Token::kIz: return immediate(c, v, false, op);
    case Token::kJb:
    case Token::kJz: {
        const std::size_t size = t == Token::kJb ? 1 : v;
        op.kind = OperandKind::kTarget;
        op.size = static_cast<std::uint8_t>(size);
        op.value = sign_extend(c.cursor.take(size), size);  // made absolute once the length is known
        return true;
    }
    case Token::kAp:
        op.kind = OperandKind::kFarPointer;
        op.size = v;
        op.value = c.cursor.take(v);
        op.selector = static_cast<std::uint16_t>(c.cursor.take(2));
        return true;
    case Token::kOb:
    case Token::kOv: {
        MemoryOperand& mem = c.ins.memory;
        mem.address16 = ins.address_size == 2;
        mem.disp_size = ins.address_size;
        mem.disp = c.cursor.take(ins.address_size);
        op.kind = OperandKind::kMemory;
        op.size = t == Token::kOb ? 1 : v;
        return true;
    }
    case Token::kInvalid: return false;
    }
    return false;
}

std::string_view three_dnow_name(std::uint8_t suffix) {
    static const char kHex[] = "0123456789abcdef";
    const char want[2] = {kHex[suffix >> 4], kHex[suffix & 15]};
    for (std::size_t i = 0; i < kThreeDNowSuffixCount; ++i) {
        const std::string_view e = kThreeDNowSuffixes[i];
        if (e.size() > 3 && e[0] == want[0] && e[1] == want[1] && e[2] == '|') return e.substr(3);
    }
    return {};
}

}  // namespace

bool decode(const std::uint8_t* bytes, std::size_t size, std::uint32_t address, Instruction& ins) {
    // Copied from a constant: a fresh Instruction{} is built on the stack with byte stores and
    // then copied, which stalls the copy on every instruction.
    static constexpr Instruction kEmpty{};
    ins = kEmpty;
    ins.start = address;
    Cursor cursor{bytes, std::min(size, kMaxInstructionLength)};

    PrefixClass rep_class = kPrefixNone;
    std::uint8_t byte = 0;
    for (;;) {
        byte = static_cast<std::uint8_t>(cursor.take(1));
        if (!cursor.ok) return false;
        switch (byte) {
        case 0xF0: ins.prefixes |= kPrefixLock; continue;
        case 0xF2: ins.prefixes |= kPrefixRepne; rep_class = kPrefixF2; continue;
        case 0xF3: ins.prefixes |= kPrefixRep; rep_class = kPrefixF3; continue;
        case 0x66: ins.prefixes |= kPrefixOperandSize; ins.operand_size = 2; continue;
        case 0x67: ins.prefixes |= kPrefixAddressSize; ins.address_size = 2; continue;
        case 0x26: case 0x2E: case 0x36: case 0x3E:
            ins.prefixes |= kPrefixSegment;
            ins.memory.segment = static_cast<std::int8_t>((byte >> 3) & 3);
            continue;
        case 0x64: case 0x65:
            ins.prefixes |= kPrefixSegment;
            ins.memory.segment = static_cast<std::int8_t>(byte - 0x60);
            continue;
        default: break;
        }
        break;
    }

    const TableInfo& info = table_info();
    const OpcodeEntry* entry = &kOneByteMap[byte];
    EntryInfo entry_info = info.one[byte];
    bool two_byte = false;
    if (entry->flags & kEscape) {
        byte = static_cast<std::uint8_t>(cursor.take(1));
        if (!cursor.ok) return false;
        entry = &kTwoByteMap[byte];
        entry_info = info.two[byte];
        two_byte = true;
    } else if (entry->flags & kX87) {
        entry_info = info.x87[byte - 0xD8];
        entry = &kX87Map[byte - 0xD8];
    }
    const std::uint16_t flags = entry->flags;

    PrefixClass prefix = rep_class != kPrefixNone ? rep_class : (ins.operand_size == 2 ? kPrefix66 : kPrefixNone);
    // A rep prefix on a string instruction repeats it; the variant still follows the size.
    if (flags & kString) prefix = ins.operand_size == 2 ? kPrefix66 : kPrefixNone;
    if (flags & kAddrVariant) prefix = ins.address_size == 2 ? kPrefix66 : kPrefixNone;

    ModRM modrm;
    if (entry_info.modrm) {
        const std::uint8_t b = static_cast<std::uint8_t>(cursor.take(1));
        if (!cursor.ok) return false;
        modrm = {true, static_cast<std::uint8_t>(b >> 6), static_cast<std::uint8_t>((b >> 3) & 7),
                 static_cast<std::uint8_t>(b & 7)};
    }
    // Lock belongs to the read-modify-write instructions with a memory destination; anywhere
    // else the processor raises the invalid-opcode fault, so such bytes are not code.
    if ((ins.prefixes & kPrefixLock) && !(modrm.memory() && (entry->lock >> modrm.reg & 1))) return false;
    const bool control_move = two_byte && byte >= 0x20 && byte <= 0x23;
    if (modrm.memory() && !control_move) decode_memory(cursor, modrm, ins.address_size == 2, ins.memory);
    if (!cursor.ok) return false;

    VariantKey key;
    key.prefix = prefix;
    key.reg = modrm.reg;
    key.rm = modrm.rm;
    key.register_form = modrm.present && (modrm.mod == 3 || control_move);
    key.split_by_mod = entry_info.split_by_mod;
    std::string_view mnemonic = entry_info.mnemonic, operands = entry_info.operands;
    if (entry_info.by_rm) {
        mnemonic = select_variant(mnemonic, key);
        operands = select_variant(operands, key);
    } else if (!entry_info.plain) {
        const Selection& s = info.selections[entry_info.selections + selection_index(prefix, key.reg, key.register_form)];
        mnemonic = mnemonic.substr(s.mnemonic_begin, s.mnemonic_length);
        operands = operands.substr(s.operands_begin, s.operands_length);
    }
    if (mnemonic.empty()) return false;

    ins.mnemonic_context.opcode = byte;
    ins.mnemonic_context.prefix = prefix;
    ins.mnemonic_context.x87 = (flags & kX87) != 0;
    ins.string_op = (flags & kString) != 0;

    Context context{cursor, modrm, ins, prefix, byte, control_move};
    if (!operands.empty()) {
        const ParsedOperands& parsed =
            info.parsed[entry_info.parsed + static_cast<std::size_t>(operands.data() - entry->operands)];
        if (!parsed.valid) return false;
        for (std::uint8_t k = 0; k < parsed.count; ++k)
            if (!fill_operand(parsed.tokens[k], context, ins.operands[ins.operand_count++])) return false;
    }
    if (flags & kThreeDNow) {
        mnemonic = three_dnow_name(static_cast<std::uint8_t>(cursor.take(1)));
        if (mnemonic.empty()) return false;
    }
    if (!cursor.ok) return false;
    ins.mnemonic = mnemonic;
    ins.length = static_cast<std::uint8_t>(cursor.pos);
    ins.end = address + ins.length;

    const MemoryOperand& mem = ins.memory;
    bool has_memory = false;
    for (std::uint8_t i = 0; i < ins.operand_count; ++i) {
        Operand& op = ins.operands[i];
        if (op.kind == OperandKind::kTarget) {
            ins.target = ins.end + op.value;
            if (op.size == 2) ins.target &= 0xFFFF;
            op.value = ins.target;
            ins.target_kind = TargetKind::kConstant;
            ins.relative_size = op.size;
        } else if (op.kind == OperandKind::kFarPointer) {
            ins.target = op.value;
            ins.target_kind = TargetKind::kConstant;
        } else if (op.kind == OperandKind::kMemory) {
            has_memory = true;
        }
    }
    if (has_memory && mem.base < 0 && mem.index < 0) {
        ins.has_memory_address = true;
        ins.memory_address = mem.disp;
    }

    if (flags & kCall) ins.flow = Flow::kCall;
    if (flags & kJump) ins.flow = Flow::kJump;
    if (flags & kCondJump) ins.flow = Flow::kCondJump;
    if (flags & kReturn) ins.flow = Flow::kReturn;
    ins.far_transfer = (flags & kFar) != 0;
    if ((flags & kGroupFF) && modrm.reg >= 2 && modrm.reg <= 5) {
        ins.flow = modrm.reg <= 3 ? Flow::kCall : Flow::kJump;
        ins.far_transfer = (modrm.reg & 1) != 0;
        ins.target_kind = modrm.memory() ? TargetKind::kMemory : TargetKind::kRegister;
    }
    ins.valid = true;
    return true;
}

bool decode_at(const MemoryReader& reader, std::uint32_t address, Instruction& out) {
    std::uint8_t buffer[kMaxInstructionLength];
    const std::uint32_t got = read_available(reader, address, buffer, kMaxInstructionLength);
    if (got == 0) {
        out = Instruction{};
        out.start = address;
        return false;
    }
    return decode(buffer, got, address, out);
}

}  // namespace roadsum::x86
