// What a hook knows about the failure it caught: the exception's class with its ancestors and
// its message, the C++ exception itself when there is one, and where it was raised.
//
// A C++ exception is recorded where it is thrown (the raise address, the raw stack and the
// registers), so a report traces from the raising function although the handler runs after the
// stack was unwound. A processor exception has its own context instead and gets a class and a
// message made from its code.
#pragma once

#include <cstdint>
#include <exception>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "crash/capture/capture_types.h"
#include "crash/stack/stack_trace_types.h"

namespace roadsum {

// Where and how a C++ exception was thrown, as the throw wrapper saw it.
struct TRaiseRecord {
    std::uint32_t Address = 0;        // the return address of the throw: inside the raising function
    TProcessorContext Context;        // the registers at the throw (Eip is the raise address)
    std::vector<TDAPreStackItem> Stack;  // the prepared stack: a free first entry, then the candidates
    int Count = 0;                    // candidates collected; 0 when none
};

struct TCapturedException {
    std::vector<std::string> ClassChain;  // the class name first, then its ancestors
    std::string Message;
    bool External = false;    // raised by the processor or the system, not by a throw
    std::uint32_t Code = 0;   // the system's exception code of an external exception
    std::exception_ptr Object;  // the C++ exception, when there is one
    std::optional<TRaiseRecord> Raise;
    // The failing thread's stack, so that the handling thread can trace it while it waits.
    std::uint32_t StackBase = 0, StackLimit = 0;

    std::string ClassName() const { return ClassChain.empty() ? std::string() : ClassChain.front(); }
    bool InheritsFrom(std::string_view name) const;
    // EAbort and its descendants end silently.
    bool IsAbort() const { return InheritsFrom("EAbort"); }
    // The class chain as the filter groups compare it.
    std::vector<std::string_view> ClassNames() const;
};

// The class chain and message of a C++ exception: the program's own classes name their chain,
// standard ones their (demangled) type and what(); anything else is "Exception" without text.
TCapturedException DescribeCppException(const std::exception_ptr& error);

// Processor and system exceptions by code, with the texts the program's run time gives them:
// "Access violation at address 00401000 in module 'Roadsum.exe'. Read of address 00000000".
// info holds the exception record's parameters; module is the faulting module's file name.
struct TSystemExceptionFacts {
    std::uint32_t Code = 0;
    std::uint32_t Address = 0;
    std::vector<std::uint32_t> Info;
    std::string Module;
};
TCapturedException DescribeSystemException(const TSystemExceptionFacts& facts);

inline constexpr std::uint32_t kAccessViolation = 0xC0000005;
inline constexpr std::uint32_t kIllegalInstruction = 0xC000001D;
inline constexpr std::uint32_t kIntegerDivideByZero = 0xC0000094;
inline constexpr std::uint32_t kIntegerOverflow = 0xC0000095;
inline constexpr std::uint32_t kPrivilegedInstruction = 0xC0000096;
inline constexpr std::uint32_t kStackOverflow = 0xC00000FD;
inline constexpr std::uint32_t kThreadNamingException = 0x406D1388;

}  // namespace roadsum
