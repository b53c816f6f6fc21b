// The stack tracer (noxStackTrace): turns the raw stack memory of one thread into a call stack
// of code addresses resolved to module, unit, function and line.
//
// It does not trust frame pointers alone: every dword of the stack that could be a return
// address (it points into committed code and the bytes before it end in a call) becomes a
// candidate; the calls found by the function analysis and the debug information then link
// callers and callees, and the most plausible chain between the sure items (frame-pointer
// slots, the exception address) is kept.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "crash/stack/stack_caches.h"
#include "crash/stack/stack_trace_types.h"
#include "crash/stack/trace_process.h"
#include "crash/stack/trace_progress.h"

namespace roadsum {

struct TraceStackOptions {
    bool HideUglyItems = false;  // leave out entries without a line
    bool ShowRelAddrs = true;    // the address relative to the function start
    bool ShowRelLines = true;    // the line relative to the function's first line

    TStackTrace* StackTrace = nullptr;  // receives one entry per printed line
    std::uint32_t CurrentAddress = 0;   // shown as the top item; the exception address when tracing one
    bool IsException = false;
    bool ExternalException = false;     // raised by the processor or the system, not by a raise
    std::uint32_t StackLow = 0, StackHigh = 0;  // the range [low, high) to scan
    std::uint32_t CreatorAddress = 0;           // the thread function, shown as the outermost item
    std::uint32_t* ExceptionAddress = nullptr;          // the top item's code address
    std::uint32_t* ExceptionFunction = nullptr;         // entry of the function that raised
    std::uint32_t* ExceptionFunctionAddress = nullptr;  // and the address within it
    StackTraceProgress* Progress = nullptr;
    std::uint32_t FramePointer = 0;  // the frame chain starts here
    bool SimpleTrace = false;        // no search for the best link chains
    bool BcbTermination = false;     // ended by the other compiler's exception run-time
    PreparedStackRef PreparedStack;  // candidates collected earlier; no memory scan then
    const std::atomic<bool>* Abort = nullptr;
    std::uint32_t* Crc1 = nullptr;  // the crash location; computed only with all three outputs
    std::uint32_t* Crc2 = nullptr;  // the whole stack
    bool* HasLineInfo = nullptr;
    std::vector<std::string>* MinDebugInfos = nullptr;  // "MinDebugInfo|module" of modules with minimal data
    bool DontAddTopItem = false;
};

// The call-stack text: one line per entry, innermost first, lines separated by CR LF without a
// trailing line break. Empty when the stack range is not readable as a whole or the trace was
// aborted before anything was composed; an internal-error text when a phase failed.
std::string TraceStack(const TraceProcess& process, StackCaches& caches, const TraceStackOptions& options);

// One address as a line: "0044f3a2 +1c Roadsum.exe RoadsumFrm 112 +4 TRoadsumFrm.PricelistBtnClick";
// "0044f3a2 +0 ???" when it cannot be resolved.
std::string FormatCodeAddress(const TraceProcess& process, StackCaches& caches, std::uint32_t address,
                              bool show_rel_addrs, bool show_rel_lines);

}  // namespace roadsum
