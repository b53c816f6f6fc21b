// The rival decoders behind one small face each: decode one instruction at an address and give
// its length, 0 when it refuses the bytes. They are measured against and asked as oracles; the
// program never links them. Each is compiled in only when its development package was found.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#ifdef ROADSUM_HAVE_ZYDIS
#include <Zydis/Zydis.h>
#endif
#ifdef ROADSUM_HAVE_CAPSTONE
#include <capstone/capstone.h>
#endif

namespace roadsum::bench {

#ifdef ROADSUM_HAVE_ZYDIS
// Zydis 4 in 32-bit legacy mode with its Intel formatter.
class ZydisPeer {
public:
    ZydisPeer() {
        ZydisDecoderInit(&decoder_, ZYDIS_MACHINE_MODE_LEGACY_32, ZYDIS_STACK_WIDTH_32);
        ZydisFormatterInit(&formatter_, ZYDIS_FORMATTER_STYLE_INTEL);
    }

    // Prefixes, opcode, ModRM and the fields' sizes, without the operands.
    std::size_t decode_instruction(const std::uint8_t* bytes, std::size_t size) {
        return ZYAN_SUCCESS(ZydisDecoderDecodeInstruction(&decoder_, nullptr, bytes, size, &instruction_))
                   ? instruction_.length
                   : 0;
    }
    std::size_t decode_full(const std::uint8_t* bytes, std::size_t size) {
        return ZYAN_SUCCESS(ZydisDecoderDecodeFull(&decoder_, bytes, size, &instruction_, operands_))
                   ? instruction_.length
                   : 0;
    }
    std::size_t decode_and_format(const std::uint8_t* bytes, std::size_t size, std::uint32_t address) {
        if (!decode_full(bytes, size)) return 0;
        ZydisFormatterFormatInstruction(&formatter_, &instruction_, operands_, instruction_.operand_count_visible,
                                        text_, sizeof text_, address, nullptr);
        return instruction_.length;
    }
    const char* text() const { return text_; }
    // The mnemonic of the last instruction decoded.
    const char* mnemonic() const { return ZydisMnemonicGetString(instruction_.mnemonic); }

private:
    ZydisDecoder decoder_;
    ZydisFormatter formatter_;
    ZydisDecodedInstruction instruction_;
    ZydisDecodedOperand operands_[ZYDIS_MAX_OPERAND_COUNT];
    char text_[256] = {};
};
#endif

#ifdef ROADSUM_HAVE_CAPSTONE
// Capstone in 32-bit mode. It always writes the instruction's text; detail adds the operands'
// structure and the registers read and written.
class CapstonePeer {
public:
    explicit CapstonePeer(bool detail) {
        if (cs_open(CS_ARCH_X86, CS_MODE_32, &handle_) != CS_ERR_OK) return;
        cs_option(handle_, CS_OPT_DETAIL, detail ? CS_OPT_ON : CS_OPT_OFF);
        insn_ = cs_malloc(handle_);
    }
    ~CapstonePeer() {
        if (insn_) cs_free(insn_, 1);
        if (handle_) cs_close(&handle_);
    }
    CapstonePeer(const CapstonePeer&) = delete;
    CapstonePeer& operator=(const CapstonePeer&) = delete;

    bool ready() const { return insn_ != nullptr; }
    std::size_t decode(const std::uint8_t* bytes, std::size_t size, std::uint32_t address) {
        const std::uint8_t* code = bytes;
        std::size_t left = size;
        std::uint64_t at = address;
        return cs_disasm_iter(handle_, &code, &left, &at, insn_) ? insn_->size : 0;
    }
    std::string text() const { return std::string(insn_->mnemonic) + " " + insn_->op_str; }

private:
    csh handle_ = 0;
    cs_insn* insn_ = nullptr;
};
#endif

}  // namespace roadsum::bench
