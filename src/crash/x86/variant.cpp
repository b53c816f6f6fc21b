#include "crash/x86/variant.h"

namespace roadsum::x86 {

const char* const kConditionCodes[16] = {"o", "no", "b", "nb", "e", "ne", "be", "nbe",
                                         "s", "ns", "p", "np", "l", "nl", "le", "nle"};
const char* const kSegmentNames[8] = {"es", "cs", "ss", "ds", "fs", "gs", "", ""};

namespace {

// The index-th piece of text split at sep; found is false when there are fewer pieces.
std::string_view piece(std::string_view text, char sep, std::size_t index, bool& found) {
    std::size_t begin = 0;
    for (std::size_t i = 0; i < index; ++i) {
        const std::size_t at = text.find(sep, begin);
        if (at == std::string_view::npos) {
            found = false;
            return {};
        }
        begin = at + 1;
    }
    found = true;
    const std::size_t end = text.find(sep, begin);
    return text.substr(begin, end == std::string_view::npos ? std::string_view::npos : end - begin);
}

}  // namespace

bool splits_by_mod(std::string_view text) {
    std::size_t bars = 0;
    for (char c : text) bars += c == '|';
    return bars >= 8;
}

std::string_view select_variant(std::string_view text, const VariantKey& key) {
    bool found = true;
    if (text.find('|') != std::string_view::npos) {
        const std::size_t index = key.split_by_mod && key.register_form ? 8u + key.reg : key.reg;
        text = piece(text, '|', index, found);
        if (!found) return {};
    }
    if (text.find('/') != std::string_view::npos) {
        std::string_view chosen;
        if (key.prefix != kPrefixNone) chosen = piece(text, '/', key.prefix, found);
        if (chosen.empty()) chosen = piece(text, '/', 0, found);
        text = chosen;
    }
    if (const std::size_t colon = text.find(':'); colon != std::string_view::npos)
        text = key.register_form ? text.substr(0, colon) : text.substr(colon + 1);
    if (text.find('-') != std::string_view::npos) {
        if (!key.register_form) return {};
        text = piece(text, '-', key.rm, found);
        if (!found) return {};
    }
    return text;
}

std::size_t expand_mnemonic(std::string_view variant, const MnemonicContext& context, char* out, std::size_t cap) {
    std::size_t n = 0;
    auto put = [&](std::string_view s) {
        for (char c : s)
            if (n + 1 < cap) out[n++] = c;
    };
    if (context.x87 && !variant.empty()) put("f");
    for (std::size_t i = 0; i < variant.size(); ++i) {
        const char c = variant[i];
        if (c == '%' && variant.substr(i, 3) == "%cc") {
            put(kConditionCodes[context.opcode & 15]);
            i += 2;
        } else if (c == '%' && variant.substr(i, 4) == "%seg") {
            put(kSegmentNames[(context.opcode >> 3) & 7]);
            i += 3;
        } else if (c == 'S') {
            put(context.prefix == kPrefix66 || context.prefix == kPrefixF2 ? "d" : "s");
        } else if (c == 'P') {
            put(context.prefix == kPrefixF2 || context.prefix == kPrefixF3 ? "s" : "p");
        } else {
            put(std::string_view(&c, 1));
        }
    }
    if (cap > 0) out[n] = 0;
    return n;
}

}  // namespace roadsum::x86
