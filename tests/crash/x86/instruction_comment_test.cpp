// Comments after instruction lines: target names and the text test.
#include <gtest/gtest.h>

#include "crash/x86/decoder.h"
#include "crash/x86/format.h"
#include "crash/x86/instruction_comment.h"
#include "hand_made_code.h"

namespace roadsum {
namespace {

using namespace roadsum::testing;

class TextTest : public ::testing::Test {
protected:
    FakeMemory memory;
    bool text_at(const std::string& bytes, std::string* shown = nullptr) {
        std::vector<std::uint8_t> b(bytes.begin(), bytes.end());
        b.push_back(0);
        memory.add(0x00406000, b);
        std::string text;
        const bool ok = looks_like_text(memory, 0x00406000, text);
        if (shown) *shown = text;
        return ok;
    }
};

TEST_F(TextTest, PlainWordsAreTextAndStopAtTheTerminator) {
    std::string shown;
    EXPECT_TRUE(text_at("Hello, world", &shown));
    EXPECT_EQ(shown, "Hello, world");
    EXPECT_TRUE(text_at("abcd\nmore", &shown));
    EXPECT_EQ(shown, "abcd");
    EXPECT_TRUE(text_at(std::string("File\xff", 5), &shown));
    EXPECT_EQ(shown, "File");
    EXPECT_TRUE(text_at("C:\\Windows\\system32", &shown));
}

TEST_F(TextTest, FewerThanFourCharactersOrControlCharactersAreNot) {
    EXPECT_FALSE(text_at("abc"));
    EXPECT_FALSE(text_at(""));
    EXPECT_FALSE(text_at("line\r\n"));  // CR is a control character other than LF
    EXPECT_FALSE(text_at("tab\there"));
}

TEST_F(TextTest, CharacterClassRatiosDecide) {
    // b: 5b < 2a fails with as many separators as letters.
    EXPECT_FALSE(text_at("a.b.c.d."));
    EXPECT_TRUE(text_at("abcde.f."));  // a = 6, b = 2: 10 < 12
    // c: 8c < a + b/2
    EXPECT_FALSE(text_at("abcdefgh!"));  // 8 < 8 fails
    EXPECT_TRUE(text_at("abcdefghi!"));  // 8 < 9
    // d: 10d < a' + c/4
    EXPECT_FALSE(text_at("abcdefghi~"));      // 10 < 9 fails
    EXPECT_TRUE(text_at("abcdefghijk~"));     // 10 < 11
    EXPECT_FALSE(text_at("\x80\x81\x82\x83\x84"));
}

TEST_F(TextTest, ReadsAtMostAHundredBytesAndStopsAtUnreadableMemory) {
    memory.add(0x00407000, std::vector<std::uint8_t>(150, 'x'));
    std::string text;
    EXPECT_TRUE(looks_like_text(memory, 0x00407000, text));
    EXPECT_EQ(text.size(), 100u);
    memory.add(0x00408000, {'a', 'b', 'c', 'd', 'e'});  // the region ends without a terminator
    EXPECT_TRUE(looks_like_text(memory, 0x00408000, text));
    EXPECT_EQ(text, "abcde");
    EXPECT_FALSE(looks_like_text(memory, 0x00500000, text));
}

class Comments : public ::testing::Test {
protected:
    HandMadeCode code;
    std::string line_for(std::vector<std::uint8_t> bytes) {
        code.memory.add(0x00404000, bytes);
        x86::Instruction ins;
        EXPECT_TRUE(x86::decode_at(code.memory, 0x00404000, ins));
        std::string line;
        x86::format_instruction(ins, line);
        append_instruction_comment(ins, code.memory, &code.symbols, line);
        return line;
    }
};

TEST_F(Comments, TextHintsForAddressesAndPointersIntoTheImage) {
    EXPECT_EQ(line_for({0x68, 0x00, 0x62, 0x40, 0x00}),
              "00404000   push    $00406200              ; 'Hello, world'");
    EXPECT_EQ(line_for({0xA1, 0x40, 0x62, 0x40, 0x00}),  // mov eax, [pointer to the text]
              "00404000   mov     eax, dword ptr [$00406240]  ; 'Hello, world'");
    EXPECT_EQ(line_for({0x68, 0x00, 0x00, 0x50, 0x00}), "00404000   push    $00500000");  // outside any image
    // Not within the image's last hundred bytes.
    code.memory.add(0x0040FFA0, std::vector<std::uint8_t>(0x60, 'a'));
    EXPECT_EQ(line_for({0x68, 0xA0, 0xFF, 0x40, 0x00}), "00404000   push    $0040ffa0");
}

TEST_F(Comments, TargetNamesFollowImportStubsAndNameOtherModules) {
    // A stub: jmp [import slot] at 00404100, called from 00404000.
    code.memory.add(0x00404100, {0xFF, 0x25, 0x00, 0x30, 0x40, 0x00});
    EXPECT_EQ(line_for({0xE8, 0xFB, 0x00, 0x00, 0x00}),
              "00404000   call    $00404100              ; MessageBoxA (user32.dll)");
    EXPECT_EQ(target_name(kCallee, code.memory, code.symbols), "Callee");
    EXPECT_EQ(target_name(kCallee + 4, code.memory, code.symbols), "Callee+$04");
    // A name that already carries a module keeps it.
    code.symbols.add_name(0x10002000, "Beep (kernel32.dll)");
    EXPECT_EQ(target_name(0x10002000, code.memory, code.symbols), "Beep (kernel32.dll)");
    // Where the slot holds no address (an image file), the slot's own name serves.
    code.memory.poke_dword(kImportSlot, 0x00000123);
    EXPECT_EQ(target_name(0x00404100, code.memory, code.symbols), "__imp_MessageBoxA");
}

TEST_F(Comments, NoSymbolsNoComment) {
    code.memory.add(0x00404000, {0xE8, 0xFB, 0xDF, 0xFF, 0xFF});
    x86::Instruction ins;
    ASSERT_TRUE(x86::decode_at(code.memory, 0x00404000, ins));
    std::string line;
    x86::format_instruction(ins, line);
    const std::string before = line;
    append_instruction_comment(ins, code.memory, nullptr, line);
    EXPECT_EQ(line, before);
}

}  // namespace
}  // namespace roadsum
