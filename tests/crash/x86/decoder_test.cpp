// Decoding single instructions: the instruction record, the edge cases of the reporter's use,
// and the operand text of each addressing form.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "crash/x86/decoder.h"
#include "crash/x86/format.h"
#include "crash/x86/linear_listing.h"
#include "fake_memory.h"

namespace roadsum::x86 {
namespace {

using roadsum::testing::FakeMemory;

Instruction decoded(std::vector<std::uint8_t> bytes, std::uint32_t address = 0x00401000) {
    Instruction ins;
    EXPECT_TRUE(decode(bytes.data(), bytes.size(), address, ins));
    return ins;
}

std::string line(std::vector<std::uint8_t> bytes, std::uint32_t address = 0x00401000) {
    Instruction ins;
    if (!decode(bytes.data(), bytes.size(), address, ins)) return "(invalid)";
    std::string s;
    format_instruction(ins, s);
    return s;
}

TEST(X86Decoder, CallThroughPointerEndingExactlyAtUnreadableMemoryIsSixBytesThroughMemory) {
    // FF 15 disp32 as the last bytes before an unreadable page: the stack tracer's check that a
    // call ends at a return address.
    FakeMemory memory;
    memory.add(0x00401000, {0x90, 0x90, 0xFF, 0x15, 0x00, 0x20, 0x40, 0x00});
    Instruction ins;
    ASSERT_TRUE(decode_at(memory, 0x00401002, ins));
    EXPECT_EQ(ins.length, 6);
    EXPECT_EQ(ins.end, 0x00401008u);
    EXPECT_EQ(ins.flow, Flow::kCall);
    EXPECT_EQ(ins.target_kind, TargetKind::kMemory);
    EXPECT_TRUE(ins.has_memory_address);
    EXPECT_EQ(ins.memory_address, 0x00402000u);
    EXPECT_FALSE(decode_at(memory, 0x00401008, ins));
}

TEST(X86Decoder, Opcode0F10FollowsItsPrefixes) {
    EXPECT_EQ(line({0x0F, 0x10, 0xC1}), "00401000   movups  xmm0, xmm1");
    EXPECT_EQ(line({0x66, 0x0F, 0x10, 0xC1}), "00401000   movupd  xmm0, xmm1");
    EXPECT_EQ(line({0xF2, 0x0F, 0x10, 0x01}), "00401000   movsd   xmm0, qword ptr [ecx]");
    EXPECT_EQ(line({0xF3, 0x0F, 0x10, 0x01}), "00401000   movss   xmm0, dword ptr [ecx]");
    EXPECT_EQ(line({0x0F, 0x10, 0x01}), "00401000   movups  xmm0, oword ptr [ecx]");
}

TEST(X86Decoder, RelativeTargetsAndControlFlow) {
    Instruction call = decoded({0xE8, 0xFB, 0xFF, 0xFF, 0xFF});  // call to itself
    EXPECT_EQ(call.flow, Flow::kCall);
    EXPECT_EQ(call.target_kind, TargetKind::kConstant);
    EXPECT_EQ(call.target, 0x00401000u);
    EXPECT_EQ(call.relative_size, 4);

    Instruction jcc = decoded({0x75, 0x10});
    EXPECT_EQ(jcc.flow, Flow::kCondJump);
    EXPECT_EQ(jcc.target, 0x00401012u);
    EXPECT_EQ(jcc.relative_size, 1);

    Instruction back = decoded({0xEB, 0xFE});
    EXPECT_EQ(back.flow, Flow::kJump);
    EXPECT_EQ(back.target, 0x00401000u);

    Instruction jmp16 = decoded({0x66, 0xE9, 0x10, 0x00}, 0x00401000);  // 16-bit target wraps
    EXPECT_EQ(jmp16.length, 4);
    EXPECT_EQ(jmp16.target, 0x1014u);
    EXPECT_EQ(jmp16.relative_size, 2);

    EXPECT_EQ(decoded({0xC3}).flow, Flow::kReturn);
    EXPECT_EQ(decoded({0xC2, 0x08, 0x00}).flow, Flow::kReturn);
    EXPECT_EQ(decoded({0xCF}).flow, Flow::kReturn);
    EXPECT_EQ(decoded({0xE2, 0xFE}).flow, Flow::kCondJump);  // loop
    EXPECT_EQ(decoded({0xFF, 0xD0}).target_kind, TargetKind::kRegister);  // call eax
    const Instruction far_jump = decoded({0xFF, 0x28});  // jmp far [eax]
    EXPECT_EQ(far_jump.flow, Flow::kJump);
    EXPECT_TRUE(far_jump.far_transfer);
    EXPECT_EQ(decoded({0xFF, 0x30}).flow, Flow::kNone);  // push [eax]
    const Instruction ptr = decoded({0x9A, 0x00, 0x10, 0x40, 0x00, 0x08, 0x00});
    EXPECT_EQ(ptr.target, 0x00401000u);
    EXPECT_TRUE(ptr.far_transfer);
}

TEST(X86Decoder, RecordsPrefixesSizesAndTheAbsoluteMemoryAddress) {
    const Instruction ins = decoded({0xF0, 0x66, 0x64, 0x01, 0x05, 0x78, 0x56, 0x34, 0x12});
    EXPECT_EQ(ins.prefixes, kPrefixLock | kPrefixOperandSize | kPrefixSegment);
    EXPECT_EQ(ins.operand_size, 2);
    EXPECT_EQ(ins.address_size, 4);
    EXPECT_TRUE(ins.has_memory_address);
    EXPECT_EQ(ins.memory_address, 0x12345678u);
    std::string s;
    format_instruction(ins, s);
    EXPECT_EQ(s, "00401000   lock add word ptr fs:[$12345678], ax");

    const Instruction based = decoded({0x8B, 0x45, 0x08});
    EXPECT_FALSE(based.has_memory_address);
    EXPECT_EQ(decoded({0x67, 0x8B, 0x07}).address_size, 2);
}

TEST(X86Decoder, RejectsUndefinedAndIncompleteEncodings) {
    Instruction ins;
    const std::vector<std::vector<std::uint8_t>> bad = {
        {0x0F, 0x04},                       // 0F 04 is not defined
        {0x8E, 0xC8},                       // mov to cs: the invalid-opcode fault
        {0x8E, 0x08},
        {0x8F, 0xC8},                       // pop group: only /0
        {0x8D, 0xC0},                       // lea with a register operand
        {0x8E, 0x38},                       // mov to segment register 7
        {0xFE, 0x10},                       // inc/dec group: /2 undefined
        {0xD9, 0xD1},                       // fnop covers only D0
        {0x0F, 0x0F, 0xC1, 0x00},           // 3DNow! suffix 00 is not defined
        {0x0F, 0x71, 0x00, 0x02},           // MMX shift by immediate needs a register
        {0x0F, 0x6C, 0xC1},                 // punpcklqdq needs 0x66
        {0xE8, 0x00, 0x00},                 // cut short
        {0x66},                             // only a prefix
        {},
    };
    for (const auto& b : bad) EXPECT_FALSE(decode(b.data(), b.size(), 0x00401000, ins)) << line(b);
    // Longer than fifteen bytes: prefixes alone fill the limit.
    std::vector<std::uint8_t> long_one(14, 0x66);
    long_one.insert(long_one.end(), {0x05, 0x01, 0x00});
    EXPECT_FALSE(decode(long_one.data(), long_one.size(), 0, ins));
    std::vector<std::uint8_t> fifteen(12, 0x66);
    fifteen.insert(fifteen.end(), {0x05, 0x01, 0x00});
    EXPECT_TRUE(decode(fifteen.data(), fifteen.size(), 0, ins));
    EXPECT_EQ(ins.length, 15);
}

TEST(X86Decoder, LockOnlyOnTheMemoryDestinationOfReadModifyWriteInstructions) {
    // Everywhere else the processor raises the invalid-opcode fault: such bytes are not code,
    // which the stack tracer and the function analyser rely on.
    const std::vector<std::vector<std::uint8_t>> refused = {
        {0xF0, 0x16},                    // lock push ss
        {0xF0, 0x8B, 0x4B, 0xF4},        // lock mov ecx, [ebx-$0c]
        {0xF0, 0xFF, 0x71, 0xFC},        // lock push [ecx-$04]
        {0xF0, 0x01, 0xC0},              // lock add eax, eax: a register destination
        {0xF0, 0x03, 0x18},              // lock add ebx, [eax]: memory is only the source
        {0xF0, 0x83, 0x38, 0x00},        // lock cmp: reads only
        {0xF0, 0x0F, 0xA3, 0x00},        // lock bt
        {0xF0, 0x0F, 0xBA, 0x20, 0x01},  // lock bt by immediate
        {0xF0, 0x86, 0xC1},              // lock xchg cl, al
        {0xF0, 0x0F, 0xB1, 0xC8},        // lock cmpxchg eax, ecx
        {0xF0, 0x0F, 0xC1, 0xC8},        // lock xadd eax, ecx
        {0xF0, 0xF7, 0xD0},              // lock not eax
        {0xF0, 0xF6, 0x20},              // lock mul byte ptr [eax]
        {0xF0, 0xFF, 0x10},              // lock call [eax]
        {0xF0, 0xC6, 0x00, 0x01},        // lock mov byte ptr [eax], 1
        {0xF0, 0xD9, 0x00},              // lock fld
        {0xF0, 0x0F, 0x1F, 0x00},        // lock nop
        {0xF0, 0x90},
        {0xF0, 0xD6},
        {0x66, 0xF0, 0x2E, 0x8B, 0x00},  // the lock among other prefixes
    };
    Instruction ins;
    for (const auto& b : refused) EXPECT_FALSE(decode(b.data(), b.size(), 0x00401000, ins)) << line(b);

    const std::vector<std::pair<std::vector<std::uint8_t>, std::string>> accepted = {
        {{0xF0, 0x00, 0x08}, "lock add byte ptr [eax], cl"},
        {{0xF0, 0x09, 0x08}, "lock or dword ptr [eax], ecx"},
        {{0xF0, 0x11, 0x08}, "lock adc dword ptr [eax], ecx"},
        {{0xF0, 0x18, 0x08}, "lock sbb byte ptr [eax], cl"},
        {{0xF0, 0x21, 0x08}, "lock and dword ptr [eax], ecx"},
        {{0xF0, 0x29, 0x08}, "lock sub dword ptr [eax], ecx"},
        {{0xF0, 0x30, 0x08}, "lock xor byte ptr [eax], cl"},
        {{0xF0, 0x80, 0x30, 0x01}, "lock xor byte ptr [eax], $01"},
        {{0xF0, 0x81, 0x20, 0x00, 0x01, 0x00, 0x00}, "lock and dword ptr [eax], $0100"},
        {{0x66, 0xF0, 0x83, 0x28, 0x01}, "lock sub word ptr [eax], $01"},
        {{0xF0, 0x0F, 0xBB, 0x08}, "lock btc dword ptr [eax], ecx"},
        {{0xF0, 0x0F, 0xB3, 0x08}, "lock btr dword ptr [eax], ecx"},
        {{0xF0, 0x0F, 0xAB, 0x08}, "lock bts dword ptr [eax], ecx"},
        {{0xF0, 0x0F, 0xBA, 0x28, 0x01}, "lock bts dword ptr [eax], $01"},
        {{0xF0, 0x0F, 0xBA, 0x30, 0x01}, "lock btr dword ptr [eax], $01"},
        {{0xF0, 0x0F, 0xBA, 0x38, 0x01}, "lock btc dword ptr [eax], $01"},
        {{0xF0, 0x0F, 0xB0, 0x08}, "lock cmpxchg byte ptr [eax], cl"},
        {{0xF0, 0x0F, 0xC7, 0x08}, "lock cmpxchg8b qword ptr [eax]"},
        {{0xF0, 0xFE, 0x08}, "lock dec byte ptr [eax]"},
        {{0xF0, 0xFF, 0x00}, "lock inc dword ptr [eax]"},
        {{0xF0, 0xF7, 0x18}, "lock neg dword ptr [eax]"},
        {{0xF0, 0xF6, 0x10}, "lock not byte ptr [eax]"},
        {{0xF0, 0x0F, 0xC1, 0x08}, "lock xadd dword ptr [eax], ecx"},
        {{0xF0, 0x87, 0x08}, "lock xchg dword ptr [eax], ecx"},
        {{0x3E, 0xF0, 0x86, 0x08}, "lock xchg byte ptr ds:[eax], cl"},
    };
    for (const auto& [bytes, text] : accepted) EXPECT_EQ(line(bytes), "00401000   " + text);
}

TEST(X86Decoder, SalcUdAndTheHintNopsDecode) {
    const std::vector<std::pair<std::vector<std::uint8_t>, std::string>> cases = {
        {{0xD6}, "salc"},
        {{0x0F, 0x18, 0x00}, "prefetchnta [eax]"},
        {{0x0F, 0x18, 0x18}, "prefetcht2 [eax]"},
        {{0x0F, 0x18, 0x20}, "nop     dword ptr [eax]"},  // /4 to /7: hint no-ops
        {{0x0F, 0x18, 0x7C, 0x24, 0x08}, "nop     dword ptr [esp+$08]"},
        {{0x0F, 0x18, 0xC1}, "nop     ecx"},  // register forms, /0 to /3 too
        {{0x0F, 0x18, 0xE2}, "nop     edx"},
        {{0x0F, 0x19, 0xC0}, "nop     eax"},
        {{0x0F, 0x1A, 0x00}, "nop     dword ptr [eax]"},
        {{0x0F, 0x1C, 0x44, 0x00, 0x00}, "nop     dword ptr [eax+eax+$00]"},
        {{0xF3, 0x0F, 0x1E, 0xFB}, "nop     ebx"},  // endbr32 on processors before it
        {{0x66, 0x0F, 0x1F, 0x44, 0x00, 0x00}, "nop     word ptr [eax+eax+$00]"},
        {{0x0F, 0x1F, 0x80, 0x00, 0x00, 0x00, 0x00}, "nop     dword ptr [eax+$00]"},
        {{0x0F, 0xB9, 0x01}, "ud1     eax, dword ptr [ecx]"},
        {{0x0F, 0xFF, 0xD3}, "ud0     edx, ebx"},
        {{0x8C, 0xC8}, "mov     eax, cs"},
    };
    for (const auto& [bytes, text] : cases) {
        EXPECT_EQ(line(bytes), "00401000   " + text);
        EXPECT_EQ(decoded(bytes).length, bytes.size()) << text;
    }
}

TEST(X86Decoder, MovToControlRegistersIgnoresTheModField) {
    EXPECT_EQ(line({0x0F, 0x20, 0x00}), "00401000   mov     eax, cr0");
    EXPECT_EQ(decoded({0x0F, 0x22, 0x18}).length, 3);
}

TEST(X86Format, OperandsOfEachAddressingForm) {
    EXPECT_EQ(line({0x8B, 0x00}), "00401000   mov     eax, dword ptr [eax]");
    EXPECT_EQ(line({0x8B, 0x40, 0xFC}), "00401000   mov     eax, dword ptr [eax-$04]");
    EXPECT_EQ(line({0x8B, 0x80, 0x00, 0x01, 0x00, 0x00}), "00401000   mov     eax, dword ptr [eax+$0100]");
    EXPECT_EQ(line({0x8B, 0x05, 0x00, 0x30, 0x40, 0x00}), "00401000   mov     eax, dword ptr [$00403000]");
    EXPECT_EQ(line({0x8B, 0x04, 0x24}), "00401000   mov     eax, dword ptr [esp]");
    EXPECT_EQ(line({0x8B, 0x44, 0x8E, 0x10}), "00401000   mov     eax, dword ptr [esi+ecx*4+$10]");
    EXPECT_EQ(line({0x8B, 0x04, 0xCD, 0x00, 0x30, 0x40, 0x00}), "00401000   mov     eax, dword ptr [ecx*8+$00403000]");
    EXPECT_EQ(line({0x8B, 0x04, 0x25, 0x00, 0x30, 0x40, 0x00}), "00401000   mov     eax, dword ptr [$00403000]");
    EXPECT_EQ(line({0x67, 0x8B, 0x46, 0xFE}), "00401000   mov     eax, dword ptr [bp-$02]");
    EXPECT_EQ(line({0x67, 0x8B, 0x06, 0x34, 0x12}), "00401000   mov     eax, dword ptr [$1234]");
    EXPECT_EQ(line({0x2E, 0x8A, 0x00}), "00401000   mov     al, byte ptr cs:[eax]");
    EXPECT_EQ(line({0xDB, 0x28}), "00401000   fld     tbyte ptr [eax]");
    EXPECT_EQ(line({0xD8, 0xC1}), "00401000   fadd    st(0), st(1)");
    EXPECT_EQ(line({0x0F, 0x6F, 0xC1}), "00401000   movq    mm0, mm1");
    EXPECT_EQ(line({0x66, 0x0F, 0x6F, 0x00}), "00401000   movdqa  xmm0, oword ptr [eax]");
    EXPECT_EQ(line({0x0F, 0x01, 0x10}), "00401000   lgdt    fword ptr [eax]");
    EXPECT_EQ(line({0x8D, 0x44, 0x24, 0x04}), "00401000   lea     eax, [esp+$04]");
}

TEST(X86Format, ImmediatesShiftsPrefixesAndPadding) {
    EXPECT_EQ(line({0x6A, 0xFF}), "00401000   push    -$01");
    EXPECT_EQ(line({0x68, 0x00, 0x30, 0x40, 0x00}), "00401000   push    $00403000");
    EXPECT_EQ(line({0xD1, 0xE0}), "00401000   shl     eax, 1");
    EXPECT_EQ(line({0xD3, 0xE8}), "00401000   shr     eax, cl");
    EXPECT_EQ(line({0xF3, 0xA4}), "00401000   rep movsb");
    EXPECT_EQ(line({0xF2, 0xAE}), "00401000   repne scasb");
    EXPECT_EQ(line({0x66, 0xF3, 0xA5}), "00401000   rep movsw");
    EXPECT_EQ(line({0xF3, 0xC3}), "00401000   ret");  // rep on a non-string instruction is not shown
    EXPECT_EQ(line({0xEA, 0x78, 0x56, 0x34, 0x12, 0x08, 0x00}), "00401000   jmp     $0008:$12345678");
    // The mnemonic column is 19 wide from the line start; a long mnemonic still gets a blank.
    EXPECT_EQ(line({0xF0, 0x0F, 0xC7, 0x0E}), "00401000   lock cmpxchg8b qword ptr [esi]");
    EXPECT_EQ(line({0x66, 0x0F, 0x7C, 0xC1}), "00401000   haddpd  xmm0, xmm1");
}

TEST(X86Format, UndecodableBytesAreDbLines) {
    std::string s;
    format_undecodable(0x0040100A, 0xC4, s);
    EXPECT_EQ(s, "0040100a   db $c4");
}

TEST(X86LinearListing, AStreamStartingInsideAnInstructionShowsDbLinesUntilItFindsItsFeet) {
    // mov eax, $9090040f (b8 0f 04 90 90) entered one byte late: 0f 04 is undefined.
    FakeMemory memory;
    memory.add(0x00401000, {0xB8, 0x0F, 0x04, 0x90, 0x90, 0xC3, 0xE8});
    std::vector<std::string> lines;
    std::vector<std::uint32_t> lengths;
    disassemble_linear(memory, 0x00401001, 0x00401007, nullptr, true,
                       [&](std::uint32_t, std::uint32_t length, const std::string& text) {
                           lines.push_back(text);
                           lengths.push_back(length);
                       });
    EXPECT_EQ(lines, (std::vector<std::string>{"00401001   db $0f", "00401002   add     al, $90", "00401004   nop",
                                               "00401005   ret", "00401006   db $e8"}));  // a call cut off by the end
    EXPECT_EQ(lengths, (std::vector<std::uint32_t>{1, 2, 1, 1, 1}));
}

}  // namespace
}  // namespace roadsum::x86
