// The listing of a function for the bug report.
#include <gtest/gtest.h>

#include <sstream>

#include "crash/x86/function_analyser.h"
#include "crash/x86/function_listing.h"
#include "hand_made_code.h"

namespace roadsum {
namespace {

using namespace roadsum::testing;

std::vector<std::string> split(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t begin = 0;
    for (;;) {
        const std::size_t at = text.find("\r\n", begin);
        lines.push_back(text.substr(begin, at == std::string::npos ? std::string::npos : at - begin));
        if (at == std::string::npos) return lines;
        begin = at + 2;
    }
}

// An instruction line with its comment at the comment column.
std::string commented(std::string line, const std::string& comment) {
    line.resize(40, ' ');
    return line + "  ; " + comment;
}

// A label line: address, label padded to 31, comment.
std::string entry_label(const std::string& address, std::string label) {
    label.resize(31, ' ');
    return address + " " + label + "  ; function entry point";
}

class FunctionListing : public ::testing::Test {
protected:
    HandMadeCode code;
    std::string list(std::uint32_t entry, ListingOptions options = {}) {
        if (!options.crash_address) options.crash_address = entry;
        return disassemble_function(entry, code.memory, &code.symbols, code.routines, options);
    }
};

TEST_F(FunctionListing, LabelsTargetNamesAndLineEnds) {
    ListingOptions o;
    o.crash_address = 0x401014;
    const std::string text = list(kFuncA, o);
    EXPECT_EQ(text,
              entry_label("00401000", "public FuncA:") + "\r\n"
              "00401000   push    ebp\r\n"
              "00401001   mov     ebp, esp\r\n"
              "00401003   test    eax, eax\r\n"
              "00401005   je      loc_0040100e\r\n" +
              commented("00401007   call    $00402000", "Callee") + "\r\n"
              "0040100c   jmp     loc_00401014\r\n" +
              commented("0040100e   call    dword ptr [$00403000]", "MessageBoxA (user32.dll)") + "\r\n"
              "00401014 > call    eax\r\n"
              "00401016   pop     ebp\r\n"
              "00401017   ret");
}

TEST_F(FunctionListing, FormattingAddsLabelsAndSeparatorsButNotAfterTheLastInstruction) {
    ListingOptions o;
    o.format = true;
    const std::vector<std::string> lines = split(list(kFuncA, o));
    const std::vector<std::string> expected = {
        entry_label("00401000", "public FuncA:"),
        "00401000 > push    ebp",
        "00401001   mov     ebp, esp",
        "00401003   test    eax, eax",
        "00401005   je      loc_0040100e",
        commented("00401007   call    $00402000", "Callee"),
        "0040100c   jmp     loc_00401014",
        "",
        "0040100e ; ---------------------------------------------------------",
        "",
        "0040100e loc_0040100e:",
        commented("0040100e   call    dword ptr [$00403000]", "MessageBoxA (user32.dll)"),
        "00401014 loc_00401014:",
        "00401014   call    eax",
        "00401016   pop     ebp",
        "00401017   ret",
    };
    EXPECT_EQ(lines, expected);
}

TEST_F(FunctionListing, WithoutANameTheFunctionIsSub) {
    const std::vector<std::string> lines = split(list(kFuncHookable));
    EXPECT_EQ(lines.front(), entry_label("00401600", "sub_00401600:"));
    EXPECT_EQ(lines.back(), "00401607   ret");
}

TEST_F(FunctionListing, CaseTablesAreListedAsLabelledDwords) {
    ListingOptions o;
    o.format = true;
    const std::vector<std::string> lines = split(list(kFuncCase, o));
    const std::vector<std::string> expected = {
        entry_label("00401100", "sub_00401100:"),
        "00401100 > cmp     eax, $02",
        "00401103   jnbe    loc_0040111e",
        "00401105   jmp     dword ptr [eax*4+$0040110c]",
        "",
        "0040110c ; ---------------------------------------------------------",
        "",
        "0040110c   dd loc_00401118                ; case jump table",
        "00401110   dd loc_0040111a",
        "00401114   dd loc_0040111c",
        "00401118 loc_00401118:",
        "00401118   inc     eax",
        "00401119   ret",
        "",
        "0040111a ; ---------------------------------------------------------",
        "",
        "0040111a loc_0040111a:",
        "0040111a   dec     eax",
        "0040111b   ret",
        "",
        "0040111c ; ---------------------------------------------------------",
        "",
        "0040111c loc_0040111c:",
        "0040111c   xor     eax, eax",
        "0040111e loc_0040111e:",
        "0040111e   ret",
    };
    EXPECT_EQ(lines, expected);
}

TEST_F(FunctionListing, HandlerTablesNameTheClassesAndTheCatchAll) {
    const std::vector<std::string> lines = split(list(kFuncOn));
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(lines[1], commented("00401300 > jmp     $00405000", "@HandleOnException"));
    EXPECT_EQ(lines[2], "00401309   on EConvertError do loc_00401320");
    EXPECT_EQ(lines[3], "00401311   else loc_00401322");
    // An unreadable class shows as EUnknown, padded like the others.
    code.memory.poke_dword(kExceptionClass - 44, 0);
    const std::vector<std::string> unknown = split(list(kFuncOn));
    EXPECT_EQ(unknown[2], "00401309   on EUnknown do loc_00401320");
    ListingOptions throwing;
    throwing.class_name = [](std::uint32_t, std::string&) -> bool { throw std::runtime_error("bad"); };
    EXPECT_EQ(split(list(kFuncOn, throwing))[2], "00401309   on EUnknown do loc_00401320");
}

TEST_F(FunctionListing, NoSeparatorWhenNothingVisibleFollows) {
    // A jump to the handler routine followed by an empty handler table ends the listing.
    code.memory.poke(0x00401D00, {0xE9, 0xFB, 0x32, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00});
    ListingOptions o;
    o.format = true;
    const std::vector<std::string> lines = split(list(0x00401D00, o));
    EXPECT_EQ(lines.back(), commented("00401d00 > jmp     $00405000", "@HandleOnException"));
}

TEST_F(FunctionListing, NoSeparatorAfterAJumpToTheFinallyRoutine) {
    ListingOptions o;
    o.format = true;
    const std::string text = list(kFuncFinally, o);
    EXPECT_EQ(text.find("; ----"), std::string::npos) << text;
}

TEST_F(FunctionListing, UndecodableBytesOfAnInvalidFunctionAreDbLines) {
    const std::vector<std::string> lines = split(list(kFuncInvalid));
    EXPECT_EQ(lines.back(), "00401501   db $0f");
}

TEST_F(FunctionListing, LineNumberColumnIsZeroPaddedToTheLastLinesWidth) {
    ListingOptions o;
    o.crash_address = kFuncHookable + 3;
    o.line_number = [](std::uint32_t a) { return a == kFuncHookable + 1 ? 0 : static_cast<int>(a - kFuncHookable + 7); };
    const std::vector<std::string> lines = split(list(kFuncHookable, o));
    EXPECT_EQ(lines[0], entry_label("00401600 07", "sub_00401600:"));
    EXPECT_EQ(lines[1], "00401600 07   push    ebp");
    EXPECT_EQ(lines[2], "00401601      mov     ebp, esp");  // no line: blanks of the same width
    EXPECT_EQ(lines[3], "00401603 10 > sub     esp, $10");
    EXPECT_EQ(lines.back(), "00401607 14   ret");
}

TEST_F(FunctionListing, LineNumberWidthFallsBackToTenTimesTheCrashLine) {
    ListingOptions o;
    o.crash_address = kFuncHookable;
    o.line_number = [](std::uint32_t a) { return a == kFuncHookable ? 50 : 0; };
    const std::vector<std::string> lines = split(list(kFuncHookable, o));
    EXPECT_EQ(lines[1], "00401600 050 > push    ebp");
    EXPECT_EQ(lines[2], "00401601       mov     ebp, esp");
}

TEST_F(FunctionListing, LimitCutsLongFunctionsAroundTheCrashLine) {
    ListingOptions o;
    o.limit = 5;
    o.crash_address = kFuncLong + 20;
    const std::vector<std::string> lines = split(list(kFuncLong, o));
    // 21 lines (the label and 20 nops) precede the crash line: more than 5 * 12 / 10, so the last
    // 6 stay, then the crash line and 5 more.
    ASSERT_EQ(lines.size(), 14u);
    EXPECT_EQ(lines[0], "[...]");
    EXPECT_EQ(lines[1], "0040180e   nop");
    EXPECT_EQ(lines[7], "00401814 > nop");
    EXPECT_EQ(lines[12], "00401819   nop");
    EXPECT_EQ(lines[13], "[...]");
}

TEST_F(FunctionListing, LimitKeepsTheStartWhenFewLinesPrecede) {
    ListingOptions o;
    o.limit = 5;
    o.crash_address = kFuncLong + 5;  // six lines precede: not more than 5 * 12 / 10
    const std::vector<std::string> lines = split(list(kFuncLong, o));
    ASSERT_EQ(lines.size(), 13u);
    EXPECT_EQ(lines[0], entry_label("00401800", "sub_00401800:"));
    EXPECT_EQ(lines[6], "00401805 > nop");
    EXPECT_EQ(lines[11], "0040180a   nop");
    EXPECT_EQ(lines[12], "[...]");
    o.crash_address = kFuncLong + 28;  // near the end: no trailing mark
    const std::vector<std::string> end = split(list(kFuncLong, o));
    EXPECT_EQ(end.front(), "[...]");
    EXPECT_EQ(end.back(), "0040181e   ret");
    o.limit = 0;  // the whole function
    EXPECT_EQ(split(list(kFuncLong, o)).size(), 32u);
}

TEST_F(FunctionListing, AreasThatNoLongerMatchTheCodeGiveTheInternalError) {
    const TFunctionInfo info = analyse_function(kFuncA, code.memory, &code.symbols, code.routines);
    code.memory.poke(0x401016, {0xB8});  // pop ebp becomes a five-byte mov across the area's end
    ListingOptions o;
    EXPECT_EQ(compose_listing(info, code.memory, &code.symbols, code.routines, o),
              "Internal error in ParseFunction while composing the disassembling string...  :-(");
}

TEST_F(FunctionListing, UnreadableEntryGivesNoListing) { EXPECT_EQ(list(0x00500000), ""); }

TEST_F(FunctionListing, TheColdPartFollowsTheBodyAndCarriesTheCrashMark) {
    code.symbols.bounded = true;
    ListingOptions o;
    o.crash_address = 0x401E09;
    o.limit = 3;
    std::string cold_label = "loc_00401e00:";
    cold_label.resize(31, ' ');
    // The body, a separator and the cold part's label: eleven lines precede the crash line, more
    // than 3 * 12 / 10, so the last four stay; the function ends at the marked call.
    EXPECT_EQ(list(kFuncWithCold, o),
              "[...]\r\n"
              "00401e00 " + cold_label + "  ; cold part\r\n"
              "00401e00   test    ebx, ebx\r\n"
              "00401e02   je      loc_00401e09\r\n" +
              commented("00401e04   call    $00402000", "Callee") + "\r\n" +
              commented("00401e09 > call    $00402000", "Callee"));
}

TEST_F(FunctionListing, TheWholeColdPartIsListedAfterASeparator) {
    code.symbols.bounded = true;
    const std::vector<std::string> lines = split(list(kFuncWithCold));
    ASSERT_EQ(lines.size(), 12u);
    EXPECT_EQ(lines[3], "00401908   ret");
    EXPECT_EQ(lines[5], "00401e00 ; ---------------------------------------------------------");
    EXPECT_EQ(lines[4] + lines[6], "");
}

TEST_F(FunctionListing, ALineCallbackAlwaysGivesTheColumnEvenWithoutAnyLine) {
    ListingOptions o;
    o.line_number = [](std::uint32_t) { return 0; };
    const std::vector<std::string> lines = split(list(kFuncHookable, o));
    EXPECT_EQ(lines[0], entry_label("00401600  ", "sub_00401600:"));
    EXPECT_EQ(lines[1], "00401600   > push    ebp");
    EXPECT_EQ(lines.back(), "00401607     ret");
}

}  // namespace
}  // namespace roadsum
