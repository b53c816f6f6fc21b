// Following functions through hand-made code: areas, calls, tables, handlers, faults.
#include <gtest/gtest.h>

#include "crash/common/system_message.h"
#include "crash/x86/function_analyser.h"
#include "hand_made_code.h"

namespace roadsum {
namespace {

using namespace roadsum::testing;

struct AreaShape {
    std::uint32_t start, end;
    bool case_table, handler_table, label;
    bool operator==(const AreaShape&) const = default;
};

std::vector<AreaShape> shapes(const TFunctionInfo& info) {
    std::vector<AreaShape> out;
    for (const CodeArea& a : info.Areas) out.push_back({a.Start, a.End, a.CaseTable, a.HandlerTable, a.Label});
    return out;
}

void PrintTo(const AreaShape& a, std::ostream* os) {
    *os << std::hex << "{" << a.start << "-" << a.end << (a.case_table ? " case" : "")
        << (a.handler_table ? " handlers" : "") << (a.label ? " label" : "") << "}";
}

class FunctionAnalyser : public ::testing::Test {
protected:
    HandMadeCode code;
    TFunctionInfo analyse(std::uint32_t entry) { return analyse_function(entry, code.memory, &code.symbols, code.routines); }
};

TEST_F(FunctionAnalyser, BranchesOpenAreasAndDirectMemoryAndIndirectCallsAreFound) {
    const TFunctionInfo info = analyse(kFuncA);
    EXPECT_TRUE(info.Valid);
    EXPECT_EQ(info.ErrorCode, 0u);
    EXPECT_EQ(info.Entry, kFuncA);
    EXPECT_EQ(info.CodeStart, kFuncA);
    EXPECT_EQ(info.CodeLength, 0x18u);
    EXPECT_EQ(shapes(info), (std::vector<AreaShape>{{0x401000, 0x40100D, false, false, true},
                                                    {0x40100E, 0x401013, false, false, true},
                                                    {0x401014, 0x401017, false, false, true}}));
    ASSERT_EQ(info.Calls.size(), 2u);
    EXPECT_FALSE(info.Calls[0].ThroughMemory);
    EXPECT_EQ(info.Calls[0].CodeAddress, 0x401007u);
    EXPECT_EQ(info.Calls[0].AfterAddress, 0x40100Cu);
    EXPECT_EQ(info.Calls[0].Target, kCallee);
    EXPECT_TRUE(info.Calls[1].ThroughMemory);
    EXPECT_EQ(info.Calls[1].Target, kMessageBox);
    ASSERT_EQ(info.IndirectCalls.size(), 1u);
    EXPECT_FALSE(info.IndirectCalls[0].IsJump);
    EXPECT_EQ(info.IndirectCalls[0].CodeAddress, 0x401014u);
    EXPECT_EQ(info.IndirectCalls[0].AfterAddress, 0x401016u);
    // A short conditional jump lies within the first six bytes.
    EXPECT_FALSE(info.Hookable);
    ASSERT_NE(info.area_containing(0x401010), nullptr);
    EXPECT_EQ(info.area_containing(0x401010)->Start, 0x40100Eu);
}

TEST_F(FunctionAnalyser, CaseJumpTableIsBoundedByTheCompareAndItsEntriesOpenAreas) {
    const TFunctionInfo info = analyse(kFuncCase);
    EXPECT_TRUE(info.Valid);
    EXPECT_EQ(shapes(info), (std::vector<AreaShape>{{0x401100, 0x40110B, false, false, true},
                                                    {0x40110C, 0x401117, true, false, false},
                                                    {0x401118, 0x401119, false, false, true},
                                                    {0x40111A, 0x40111B, false, false, true},
                                                    {0x40111C, 0x40111D, false, false, true},
                                                    {0x40111E, 0x40111E, false, false, true}}));
    ASSERT_EQ(info.IndirectCalls.size(), 1u);
    EXPECT_TRUE(info.IndirectCalls[0].IsJump);
    // The int3 fill after the last return is not taken for more code.
    EXPECT_EQ(info.CodeStart + info.CodeLength, 0x40111Fu);
}

TEST_F(FunctionAnalyser, HandlerTableAfterTheJumpToTheRoutineAndContinuationAfterTheCode) {
    const TFunctionInfo info = analyse(kFuncOn);
    EXPECT_TRUE(info.Valid);
    EXPECT_EQ(shapes(info), (std::vector<AreaShape>{{0x401300, 0x401304, false, false, true},
                                                    {0x401305, 0x401318, false, true, false},
                                                    {0x401320, 0x401321, false, false, true},
                                                    {0x401322, 0x401323, false, false, true},
                                                    {0x401324, 0x401325, false, false, false}}));
}

TEST_F(FunctionAnalyser, WithoutTheRoutineAddressTheTableIsNotFollowed) {
    const TFunctionInfo info = analyse_function(kFuncOn, code.memory, &code.symbols, RuntimeRoutines{});
    for (const CodeArea& a : info.Areas) EXPECT_FALSE(a.HandlerTable);
    EXPECT_EQ(info.area_containing(0x401320), nullptr);
    EXPECT_EQ(info.Areas.size(), 1u);  // an ordinary jump to another function
}

TEST_F(FunctionAnalyser, PushBeforeAJumpToTheFinallyRoutineGivesTheHandler) {
    const TFunctionInfo info = analyse(kFuncFinally);
    EXPECT_TRUE(info.Valid);
    EXPECT_EQ(shapes(info), (std::vector<AreaShape>{{0x401400, 0x401409, false, false, true},
                                                    {0x40140A, 0x40140C, false, false, true}}));
}

TEST_F(FunctionAnalyser, InvalidCodeMarksTheFunctionNotValid) {
    const TFunctionInfo info = analyse(kFuncInvalid);
    EXPECT_FALSE(info.Valid);
    EXPECT_EQ(info.ErrorCode, 7798785u);
    EXPECT_EQ(info.ErrorText, "Invalid code!");
    EXPECT_EQ(info.ErrorAddress, kFuncInvalid + 1);
    EXPECT_FALSE(info.Hookable);
    ASSERT_EQ(info.Areas.size(), 1u);
    EXPECT_EQ(info.Areas[0].End, kFuncInvalid + 1);  // the byte that stopped it is shown
}

TEST_F(FunctionAnalyser, UnreadableEntryGivesError87) {
    const TFunctionInfo info = analyse(0x00500000);
    EXPECT_FALSE(info.Valid);
    EXPECT_EQ(info.ErrorCode, 87u);
    // The system's own text where there is one (Windows), else the fallback.
    EXPECT_EQ(info.ErrorText, system_error_text(87, "The parameter is incorrect."));
    EXPECT_TRUE(info.Areas.empty());
}

TEST_F(FunctionAnalyser, CodeRunningIntoUnreadableMemoryIsInvalid) {
    code.memory.add(0x00407000, {0x40, 0x41});  // inc eax; inc ecx; then nothing
    const TFunctionInfo info = analyse(0x00407000);
    EXPECT_FALSE(info.Valid);
    EXPECT_EQ(info.ErrorAddress, 0x00407002u);
}

TEST_F(FunctionAnalyser, HookableNeedsSixBytesOfStraightCodeWithoutShortDisplacements) {
    EXPECT_TRUE(analyse(kFuncHookable).Hookable);
    code.memory.poke(0x00401A00, {0x40, 0xC3});  // too short
    EXPECT_FALSE(analyse(0x00401A00).Hookable);
    code.memory.poke(0x00401A10, {0xE8, 0xEB, 0x05, 0x00, 0x00, 0x40, 0xC3});  // call rel32 is fine
    EXPECT_TRUE(analyse(0x00401A10).Hookable);
}

TEST_F(FunctionAnalyser, AJumpToAnotherFunctionIsNotFollowedButOneWithinItIs) {
    const TFunctionInfo tail = analyse(kFuncTail);
    EXPECT_TRUE(tail.Valid);
    EXPECT_EQ(tail.Areas.size(), 1u);
    EXPECT_EQ(tail.CodeLength, 6u);
    code.memory.poke(0x00401B00, {0xEB, 0x02, 0xCC, 0xCC, 0x40, 0xC3});  // jmp over two bytes
    const TFunctionInfo within = analyse(0x00401B00);
    EXPECT_EQ(shapes(within), (std::vector<AreaShape>{{0x401B00, 0x401B01, false, false, true},
                                                      {0x401B04, 0x401B05, false, false, true}}));
}

TEST_F(FunctionAnalyser, ALoopBackIntoDecodedCodeSplitsTheArea) {
    code.memory.poke(0x00401C00, {0x40, 0x41, 0x49, 0x75, 0xFC, 0xC3});  // inc eax; L: inc ecx; dec ecx; jne L; ret
    const TFunctionInfo info = analyse(0x00401C00);
    EXPECT_EQ(shapes(info), (std::vector<AreaShape>{{0x401C00, 0x401C00, false, false, true},
                                                    {0x401C01, 0x401C05, false, false, true}}));
}

// How the cold part is named decides whether it is this function's: the debug information
// gives it the parent's name, the compiler's symbols a clone suffix; anything else is another
// function, and a jump to its start a tail call.
TEST_F(FunctionAnalyser, AJumpIntoTheFunctionsOwnColdPartIsFollowedAndStopsAtTheNextFunction) {
    const std::vector<AreaShape> body{{0x401900, 0x401908, false, false, true}};
    std::vector<AreaShape> with_cold = body;
    with_cold.push_back({0x401E00, 0x401E08, false, false, true});
    with_cold.push_back({0x401E09, 0x401E0D, false, false, true});
    const struct {
        const char* cold_name;
        bool debug_information, own;
    } cases[] = {{"Parent", true, true},          {"Parent.cold", false, true},
                 {"Parent [clone .cold]", false, true}, {"Parent.cold.7", false, true},
                 {"Parent", false, false},        {"Parent.cold", true, false},
                 {"Parent.colder", false, false}, {"Parent [clone .constprop.0]", false, false},
                 {"Other", true, false}};
    code.symbols.bounded = true;
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.cold_name << (c.debug_information ? " (debug information)" : ""));
        code.symbols.debug_information = c.debug_information;
        code.symbols.add_name(kColdPart, c.cold_name);
        const TFunctionInfo info = analyse(kFuncWithCold);
        EXPECT_TRUE(info.Valid);
        EXPECT_EQ(shapes(info), c.own ? with_cold : body);
        // The body alone gives the code range; the cold part shows in its areas and calls.
        EXPECT_EQ(info.CodeStart, kFuncWithCold);
        EXPECT_EQ(info.CodeLength, 9u);
        std::vector<std::uint32_t> calls;
        for (const CallInfo& call : info.Calls) calls.push_back(call.CodeAddress);
        EXPECT_EQ(calls, c.own ? (std::vector<std::uint32_t>{0x401E04, 0x401E09}) : std::vector<std::uint32_t>{});
        for (const CodeArea& a : info.Areas) EXPECT_EQ(a.Cold, a.Start >= kColdPart);
        EXPECT_EQ(info.area_containing(0x401E09) != nullptr, c.own);
    }
}

TEST_F(FunctionAnalyser, CodeThatRunsOnDoesNotEnterTheNextFunction) {
    // Analysed on its own, the cold part ends before the function that follows it.
    code.symbols.bounded = true;
    code.symbols.add_name(kColdPart, "Alone");
    const TFunctionInfo info = analyse(kColdPart);
    EXPECT_TRUE(info.Valid);
    EXPECT_EQ(info.CodeStart + info.CodeLength, kAfterCold);
}

}  // namespace
}  // namespace roadsum
