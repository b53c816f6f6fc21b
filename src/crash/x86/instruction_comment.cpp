#include "crash/x86/instruction_comment.h"

#include "crash/x86/decoder.h"
#include "crash/x86/format.h"

namespace roadsum {

namespace {

constexpr std::uint32_t kTextProbe = 100;

bool is_letter_digit_or_blank(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == ' ';
}

// Within a module image but not in its last bytes, where a text could not fit.
bool points_into_image(std::uint32_t address, const SymbolLookup& symbols) {
    ModuleInfo m;
    return symbols.module_at(address, m) && address >= m.image_begin && m.image_end >= kTextProbe &&
           address < m.image_end - kTextProbe;
}

std::string name_at(std::uint32_t address, const SymbolLookup& symbols) {
    SymbolInfo s;
    if (!symbols.symbol_at(address, s) || s.public_name.empty()) return {};
    std::string name = s.public_name;
    if (s.public_address != address) {
        name += "+";
        x86::append_dollar_hex(name, address - s.public_address);
    }
    ModuleInfo m;
    if (name.find('(') == std::string::npos && symbols.module_at(address, m) && !m.main_module && !m.file_name.empty())
        name += " (" + m.file_name + ")";
    return name;
}

}  // namespace

bool looks_like_text(const MemoryReader& reader, std::uint32_t address, std::string& text) {
    std::uint8_t bytes[kTextProbe];
    const std::uint32_t got = read_available(reader, address, bytes, kTextProbe);
    // a: letters, digits, blanks; b: , . : backslash; c: other punctuation '!'..']'; d: the rest
    std::uint32_t a = 0, b = 0, c = 0, d = 0, n = 0;
    for (; n < got; ++n) {
        const unsigned char ch = bytes[n];
        if (ch == 0 || ch == '\n' || ch == 0xFF) break;
        if (ch < 0x20) return false;
        if (is_letter_digit_or_blank(ch))
            ++a;
        else if (ch == ',' || ch == '.' || ch == ':' || ch == '\\')
            ++b;
        else if (ch >= '!' && ch <= ']')
            ++c;
        else
            ++d;
    }
    // With a' = a + b/2: 8c < a' and 10d < a' + c/4, compared in whole numbers.
    if (n < 4 || !(5 * b < 2 * a) || !(16 * c < 2 * a + b) || !(40 * d < 4 * a + 2 * b + c)) return false;
    text.assign(reinterpret_cast<const char*>(bytes), n);
    return true;
}

std::string target_name(std::uint32_t target, const MemoryReader& reader, const SymbolLookup& symbols) {
    x86::Instruction stub;
    if (x86::decode_at(reader, target, stub) && stub.flow == x86::Flow::kJump &&
        stub.target_kind == x86::TargetKind::kMemory && stub.has_memory_address) {
        // An import stub: name the imported function, or the import slot where the pointer is
        // not resolved (an image file).
        std::uint32_t imported = 0;
        if (read_dword(reader, stub.memory_address, imported)) {
            std::string name = name_at(imported, symbols);
            if (!name.empty()) return name;
        }
        std::string name = name_at(stub.memory_address, symbols);
        if (!name.empty()) return name;
    }
    return name_at(target, symbols);
}

void append_instruction_comment(const x86::Instruction& ins, const MemoryReader& reader, const SymbolLookup* symbols,
                                std::string& line) {
    if (!symbols) return;
    std::string comment;
    if (ins.flow != x86::Flow::kNone && ins.flow != x86::Flow::kReturn) {
        if (ins.target_kind == x86::TargetKind::kConstant) {
            comment = target_name(ins.target, reader, *symbols);
        } else if (ins.target_kind == x86::TargetKind::kMemory && ins.has_memory_address) {
            std::uint32_t pointer = 0;
            if (read_dword(reader, ins.memory_address, pointer)) comment = name_at(pointer, *symbols);
            if (comment.empty()) comment = name_at(ins.memory_address, *symbols);
        }
    } else {
        std::uint32_t candidates[4];
        int count = 0;
        if (ins.has_memory_address) candidates[count++] = ins.memory_address;
        for (std::uint8_t i = 0; i < ins.operand_count && count < 4; ++i)
            if (ins.operands[i].kind == x86::OperandKind::kImmediate && ins.operands[i].size == 4)
                candidates[count++] = ins.operands[i].value;
        std::string text;
        for (int i = 0; i < count && comment.empty(); ++i) {
            const std::uint32_t v = candidates[i];
            if (!points_into_image(v, *symbols)) continue;
            std::uint32_t pointer = 0;
            if (looks_like_text(reader, v, text) ||
                (read_dword(reader, v, pointer) && points_into_image(pointer, *symbols) &&
                 looks_like_text(reader, pointer, text)))
                comment = "'" + text + "'";
        }
    }
    if (comment.empty()) return;
    x86::pad_to(line, x86::kCommentColumn);
    line += "  ; ";
    line += comment;
}

}  // namespace roadsum
