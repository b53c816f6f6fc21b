// The opcode-table text notation: every rule of the encoding, and the tables' own consistency.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <string_view>

#include "crash/x86/opcode_table.h"
#include "crash/x86/operand_token.h"
#include "crash/x86/variant.h"

namespace roadsum::x86 {
namespace {

std::string expand(std::string_view text, std::uint8_t opcode, PrefixClass prefix, bool x87 = false) {
    char buf[32];
    const MnemonicContext context{opcode, prefix, x87};
    return std::string(buf, expand_mnemonic(text, context, buf, sizeof buf));
}

VariantKey key(PrefixClass prefix, std::uint8_t reg = 0, bool reg_form = false, std::uint8_t rm = 0,
               bool split = false) {
    VariantKey k;
    k.prefix = prefix;
    k.reg = reg;
    k.rm = rm;
    k.register_form = reg_form;
    k.split_by_mod = split;
    return k;
}

TEST(X86TableNotation, ConditionCodesComeFromTheLowFourBitsOfTheOpcode) {
    EXPECT_EQ(expand("j%cc", 0x70, kPrefixNone), "jo");
    EXPECT_EQ(expand("j%cc", 0x74, kPrefixNone), "je");
    EXPECT_EQ(expand("j%cc", 0x87, kPrefixNone), "jnbe");
    EXPECT_EQ(expand("cmov%cc", 0x4F, kPrefixNone), "cmovnle");
    EXPECT_EQ(expand("set%cc", 0x9A, kPrefixNone), "setp");
}

TEST(X86TableNotation, SegmentRegisterComesFromBitsThreeToFive) {
    EXPECT_EQ(expand("push %seg", 0x06, kPrefixNone), "push es");
    EXPECT_EQ(expand("push %seg", 0x0E, kPrefixNone), "push cs");
    EXPECT_EQ(expand("pop %seg", 0x1F, kPrefixNone), "pop ds");
    EXPECT_EQ(expand("push %seg", 0xA0, kPrefixNone), "push fs");
    EXPECT_EQ(expand("pop %seg", 0xA9, kPrefixNone), "pop gs");
}

TEST(X86TableNotation, SlashVariantsFollowThePrefixAndEmptyOnesFallBackToTheFirst) {
    const std::string_view text = "movuPS//movPS/movPS";
    EXPECT_EQ(select_variant(text, key(kPrefixNone)), "movuPS");
    EXPECT_EQ(select_variant(text, key(kPrefix66)), "movuPS");  // empty second variant
    EXPECT_EQ(select_variant(text, key(kPrefixF2)), "movPS");
    EXPECT_EQ(select_variant(text, key(kPrefixF3)), "movPS");
    EXPECT_EQ(select_variant("cwde/cbw", key(kPrefix66)), "cbw");
    EXPECT_EQ(select_variant("cwde/cbw", key(kPrefixF3)), "cwde");  // missing variant
    EXPECT_EQ(select_variant("pushad/pusha", key(kPrefixNone)), "pushad");
    EXPECT_EQ(select_variant("/punpcklqdq", key(kPrefixNone)), "");  // no valid form without 0x66
}

TEST(X86TableNotation, CapitalSAndPMakeThePackedAndScalarForms) {
    EXPECT_EQ(expand("movuPS", 0x10, kPrefixNone), "movups");
    EXPECT_EQ(expand("movuPS", 0x10, kPrefix66), "movupd");
    EXPECT_EQ(expand("movPS", 0x10, kPrefixF2), "movsd");
    EXPECT_EQ(expand("movPS", 0x10, kPrefixF3), "movss");
    EXPECT_EQ(expand("addPS", 0x58, kPrefixF2), "addsd");
}

TEST(X86TableNotation, BarVariantsFollowTheRegField) {
    const std::string_view text = "inc|dec|call|call|jmp|jmp|push";
    EXPECT_EQ(select_variant(text, key(kPrefixNone, 0)), "inc");
    EXPECT_EQ(select_variant(text, key(kPrefixNone, 3)), "call");
    EXPECT_EQ(select_variant(text, key(kPrefixNone, 6)), "push");
    EXPECT_EQ(select_variant(text, key(kPrefixNone, 7)), "");  // not in the list: invalid
    // Fewer than nine variants ignore whether the operand is a register.
    EXPECT_EQ(select_variant(text, key(kPrefixNone, 4, true)), "jmp");
}

TEST(X86TableNotation, NineOrMoreVariantsSplitMemoryAndRegisterFormsAndDashSplitsOnRm) {
    const std::string_view text = kX87Map[1].mnemonic;  // 0xD9
    ASSERT_TRUE(splits_by_mod(text));
    EXPECT_EQ(select_variant(text, key(kPrefixNone, 5, false, 0, true)), "ldcw");
    EXPECT_EQ(select_variant(text, key(kPrefixNone, 0, true, 3, true)), "ld");
    EXPECT_EQ(select_variant(text, key(kPrefixNone, 4, true, 0, true)), "chs");
    EXPECT_EQ(select_variant(text, key(kPrefixNone, 4, true, 1, true)), "abs");
    EXPECT_EQ(select_variant(text, key(kPrefixNone, 4, true, 2, true)), "");  // "chs-abs---tst-xam"
    EXPECT_EQ(select_variant(text, key(kPrefixNone, 4, true, 5, true)), "xam");
    EXPECT_EQ(select_variant(text, key(kPrefixNone, 1, false, 0, true)), "");  // no memory form
    EXPECT_EQ(select_variant("chs-abs---tst-xam", key(kPrefixNone, 0, false, 0)), "");  // memory: no rm split
}

TEST(X86TableNotation, ColonSeparatesTheRegisterFormFromTheMemoryForm) {
    EXPECT_EQ(select_variant("movhlPS:movlPS", key(kPrefixNone, 0, true)), "movhlPS");
    EXPECT_EQ(select_variant("movhlPS:movlPS", key(kPrefixNone, 0, false)), "movlPS");
    // Nested with prefix variants: 0x66 has only the memory form.
    EXPECT_EQ(select_variant("movhlPS:movlPS/:movlPS", key(kPrefix66, 0, true)), "");
    EXPECT_EQ(expand(select_variant("movhlPS:movlPS/:movlPS", key(kPrefix66, 0, false)), 0x12, kPrefix66), "movlpd");
}

TEST(X86TableNotation, X87MnemonicsGetTheirPrefix) {
    EXPECT_EQ(expand("add", 0xD8, kPrefixNone, true), "fadd");
    EXPECT_EQ(expand("nstsw", 0xDF, kPrefixNone, true), "fnstsw");
    EXPECT_EQ(expand("cmovnbe", 0xDB, kPrefixNone, true), "fcmovnbe");
}

TEST(X86TableNotation, ThreeDNowSuffixesAreHexByteBarName) {
    ASSERT_GT(kThreeDNowSuffixCount, 20u);
    for (std::size_t i = 0; i < kThreeDNowSuffixCount; ++i) {
        const std::string_view e = kThreeDNowSuffixes[i];
        ASSERT_GT(e.size(), 3u) << e;
        EXPECT_EQ(e[2], '|') << e;
        EXPECT_TRUE(std::isxdigit(static_cast<unsigned char>(e[0])) && std::isxdigit(static_cast<unsigned char>(e[1])))
            << e;
    }
}

// Every variant count and every operand token of the maps is well formed.
void check_entry(const OpcodeEntry& e, const std::string& where) {
    const std::string_view m = e.mnemonic, ops = e.operands;
    const auto count = [](std::string_view s, char c) {
        std::size_t n = 0;
        for (char x : s) n += x == c;
        return n;
    };
    if (splits_by_mod(m)) {
        EXPECT_EQ(count(m, '|'), 15u) << where << ": " << m;
        if (ops.find('|') != std::string_view::npos) {
            EXPECT_LE(count(ops, '|'), 15u) << where << ": " << ops;
        }
    }
    // Each '-' list covers the eight rm values at most.
    std::size_t begin = 0;
    for (std::size_t i = 0; i <= m.size(); ++i)
        if (i == m.size() || m[i] == '|') {
            const std::string_view piece = m.substr(begin, i - begin);
            if (piece.find('-') != std::string_view::npos) {
                EXPECT_LE(count(piece, '-'), 7u) << where << ": " << piece;
            }
            begin = i + 1;
        }
    begin = 0;
    for (std::size_t i = 0; i <= ops.size(); ++i)
        if (i == ops.size() || std::string_view(",|/:-").find(ops[i]) != std::string_view::npos) {
            const std::string_view token = ops.substr(begin, i - begin);
            if (!token.empty()) {
                EXPECT_NE(parse_token(token), Token::kInvalid) << where << ": token '" << token << "'";
            }
            begin = i + 1;
        }
}

TEST(X86OpcodeTables, EveryEntryIsWellFormed) {
    for (int i = 0; i < 256; ++i) {
        check_entry(kOneByteMap[i], "one-byte " + std::to_string(i));
        check_entry(kTwoByteMap[i], "two-byte " + std::to_string(i));
    }
    for (int i = 0; i < 8; ++i) {
        check_entry(kX87Map[i], "x87 " + std::to_string(i));
        EXPECT_TRUE(splits_by_mod(kX87Map[i].mnemonic)) << i;
    }
}

TEST(X86OpcodeTables, LockIsAllowedExactlyOnTheMemoryDestinationsOfTheLockableInstructions) {
    const std::set<std::string> lockable = {"add", "adc", "and", "btc", "btr", "bts", "cmpxchg", "cmpxchg8b", "dec",
                                            "inc", "neg", "not", "or", "sbb", "sub", "xadd", "xchg", "xor"};
    std::set<std::string> seen;
    const auto check = [&](const OpcodeEntry& e, const std::string& where) {
        for (std::uint8_t reg = 0; reg < 8; ++reg) {
            const VariantKey memory_form = key(kPrefixNone, reg, false, 0, splits_by_mod(e.mnemonic));
            const std::string name(select_variant(e.mnemonic, memory_form));
            const std::string_view ops = select_variant(e.operands, memory_form);
            const std::string_view destination = ops.substr(0, ops.find(','));
            const bool memory_destination = destination == "Eb" || destination == "Ev" || destination == "Mq";
            const bool allowed = (e.lock >> reg & 1) != 0;
            EXPECT_EQ(allowed, lockable.count(name) != 0 && memory_destination) << where << " /" << int(reg) << " " << name;
            if (allowed) seen.insert(name);
        }
    };
    for (int i = 0; i < 256; ++i) {
        check(kOneByteMap[i], "one-byte " + std::to_string(i));
        check(kTwoByteMap[i], "two-byte " + std::to_string(i));
    }
    for (const OpcodeEntry& e : kX87Map) EXPECT_EQ(e.lock, 0);
    EXPECT_EQ(seen, lockable);
}

}  // namespace
}  // namespace roadsum::x86
