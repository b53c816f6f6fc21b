#include "crash/x86/linear_listing.h"

#include "crash/x86/decoder.h"
#include "crash/x86/format.h"
#include "crash/x86/instruction_comment.h"

namespace roadsum {

void disassemble_linear(const MemoryReader& reader, std::uint32_t begin, std::uint32_t end, const SymbolLookup* symbols,
                        bool with_text,
                        const std::function<void(std::uint32_t, std::uint32_t, const std::string&)>& line) {
    std::string text;
    for (std::uint32_t a = begin; a < end && a >= begin;) {
        x86::Instruction ins;
        text.clear();
        std::uint32_t length = 1;
        if (x86::decode_at(reader, a, ins) && ins.end <= end && ins.end > a) {
            length = ins.length;
            if (with_text) {
                x86::format_instruction(ins, text);
                append_instruction_comment(ins, reader, symbols, text);
            }
        } else {
            std::uint8_t byte = 0;
            if (!reader.try_read(a, &byte, 1)) return;  // nothing more to show
            if (with_text) x86::format_undecodable(a, byte, text);
        }
        line(a, length, text);
        a += length;
    }
}

}  // namespace roadsum
