// Choosing one variant of an opcode-table text and expanding the mnemonic letters (the
// notation is described in x86_opcode_table.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace roadsum::x86 {

// The mandatory-prefix class that selects '/' variants.
enum PrefixClass : std::uint8_t { kPrefixNone = 0, kPrefix66 = 1, kPrefixF2 = 2, kPrefixF3 = 3 };

struct VariantKey {
    PrefixClass prefix = kPrefixNone;
    std::uint8_t reg = 0;           // ModRM reg field
    std::uint8_t rm = 0;            // ModRM rm field
    bool register_form = false;     // ModRM mod == 3
    bool split_by_mod = false;      // the mnemonic has 9 or more '|' variants
};

// True when the text has 9 or more '|' variants (eight memory forms, then register forms).
bool splits_by_mod(std::string_view text);

// The variant of text that applies; empty when the encoding has no variant (invalid for a
// mnemonic, no operands for an operand text).
std::string_view select_variant(std::string_view text, const VariantKey& key);

// What the mnemonic letters depend on.
struct MnemonicContext {
    std::uint8_t opcode = 0;        // the last opcode byte: condition code and segment register
    PrefixClass prefix = kPrefixNone;
    bool x87 = false;               // prefix "f"
};

// Expands "%cc", "%seg", 'S' and 'P' and adds the x87 "f" into out (capacity cap, always
// terminated); returns the length written.
std::size_t expand_mnemonic(std::string_view variant, const MnemonicContext& context, char* out, std::size_t cap);

extern const char* const kConditionCodes[16];
extern const char* const kSegmentNames[8];

}  // namespace roadsum::x86
