// One thread as a report lists it: where its stack lies and how to trace it, and what the report
// shows of it. The report object keeps one per listed thread; the report's completion traces
// them.
#pragma once

#include <cstdint>
#include <string>

#include "crash/stack/stack_trace_types.h"

namespace roadsum {

struct TThreadStackRecord {
    std::string Title;  // of its section: "main thread ($1A4)", "thread $2C8 (TRotateThread)"
    std::uint32_t ThreadId = 0;
    std::string Name;       // registered name ("main thread"), may be empty
    std::string ClassName;  // of the thread object that created it, may be empty
    std::uint32_t TopAddress = 0;  // shown as the top entry
    bool Crashing = false;
    bool External = false;  // the crash came from the processor or the system
    std::uint32_t StackLow = 0, StackHigh = 0;
    std::uint32_t ThreadFunction = 0;  // shown as the outermost entry
    std::uint32_t FramePointer = 0;
    bool RuntimeTerminated = false;  // ended by the other compiler's exception run-time
    PreparedStackRef PreparedStack;    // candidates recorded where the exception was raised
    std::uint32_t CreatorThreadId = 0;  // 0 when not known
    std::string CreatorTitle;
    bool Suspended = false;
    int Priority = 0;  // 0 is normal
    bool OwnModule = false;  // created by a module that carries the reporter: counts for the checksum of all stacks
};

}  // namespace roadsum
