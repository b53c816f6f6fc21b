// What the analysis of one function found: its code areas, its calls and its tables.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace roadsum {

// Error numbers of a failed analysis.
constexpr std::uint32_t kInvalidCodeError = 7798785;
constexpr const char* kInvalidCodeText = "Invalid code!";
constexpr std::uint32_t kNotCommittedError = 87;
// The system's text of error 87 is used where it can be read; this one otherwise.
constexpr const char* kNotCommittedText = "The parameter is incorrect.";

// What the parser knew when an area was opened; the listing and the stack tracer may resume
// from it.
struct ParseState {
    std::uint32_t last_push_immediate = 0;  // value of a push of an immediate just before
    std::uint32_t compare_value = 0;        // bound of a "cmp reg, imm" just before
    std::int8_t compare_register = -1;      // its register, -1 for none
    bool after_push_immediate = false;
    std::uint8_t reserved[22] = {};
};
static_assert(sizeof(ParseState) == 32);

struct CodeArea {
    std::uint32_t Start = 0;
    std::uint32_t End = 0;  // inclusive
    bool CaseTable = false;
    bool HandlerTable = false;
    bool Label = false;  // gets a label line in the listing
    bool Cold = false;   // in the function's cold part, which the compiler placed apart
    ParseState State;
};

struct CallInfo {
    bool ThroughMemory = false;  // the target was read from a constant address (an import slot)
    std::uint32_t CodeAddress = 0;
    std::uint32_t AfterAddress = 0;
    std::uint32_t Target = 0;
};

struct IndirectCallInfo {
    bool IsJump = false;
    std::uint32_t CodeAddress = 0;
    std::uint32_t AfterAddress = 0;
};

struct TFunctionInfo {
    bool Valid = false;
    std::uint32_t Entry = 0;
    // The body's code; a cold part lies elsewhere and shows only in its areas.
    std::uint32_t CodeStart = 0;
    std::uint32_t CodeLength = 0;
    std::uint32_t ErrorAddress = 0;
    std::uint32_t ErrorCode = 0;
    std::string ErrorText;
    std::vector<CodeArea> Areas;  // the body's in address order, then the cold part's
    std::vector<CallInfo> Calls;
    std::vector<IndirectCallInfo> IndirectCalls;
    bool Hookable = false;

    // The area that contains address, or nullptr.
    const CodeArea* area_containing(std::uint32_t address) const;
};

// The run-time library's exception routines whose jumps are followed by handler data; 0 for
// an unknown routine.
struct RuntimeRoutines {
    std::uint32_t HandleAnyException = 0;
    std::uint32_t Halt0 = 0;
    std::uint32_t HandleFinally = 0;
    std::uint32_t HandleAutoException = 0;
    std::uint32_t HandleOnException = 0;

    // Whether address is one of them (0 never is: an unknown routine).
    bool contains(std::uint32_t address) const {
        return address != 0 && (address == HandleAnyException || address == Halt0 || address == HandleFinally ||
                                 address == HandleAutoException || address == HandleOnException);
    }
};

}  // namespace roadsum
