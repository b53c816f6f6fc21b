// The stack tracer over this process: memory through the fault-tolerant reader with an
// address-space snapshot per trace (read-only image memory shared by the traces of a session),
// the system's memory query, module file names and the process's debug information, with one
// module and function cache for the whole process.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "crash/stack/stack_caches.h"
#include "crash/stack/stack_tracer.h"

namespace roadsum {

// The caches shared by every trace of this process. Never destroyed: a report may still be
// traced while the program's statics go away.
StackCaches& ProcessStackCaches();

// What the traces of one report share: read-only image memory (code, headers, constants), which
// does not change while its module stays loaded, is read once for all of them instead of once
// per trace; any other memory each trace reads anew. For one thread at a time.
class TraceSession {
public:
    TraceSession();
    ~TraceSession();
    TraceSession(const TraceSession&) = delete;
    TraceSession& operator=(const TraceSession&) = delete;

    struct Memory;  // the reader and its blocks; only the tracer looks inside
    Memory& Shared() { return *memory_; }

private:
    std::unique_ptr<Memory> memory_;
};

// Traces a stack of this process; one trace runs at a time. Without bounds (and without a
// prepared stack) the calling thread's stack is traced from the caller's frame; without a
// current address, outside an exception, the caller's return address is the top.
std::string TraceStack(const TraceStackOptions& options, TraceSession* session = nullptr);

// The registers and stack of another thread of this process, which the caller has suspended.
struct ThreadStackStart {
    std::uint32_t Eip = 0, Esp = 0, Ebp = 0;
    std::uint32_t StackBase = 0, StackLimit = 0;
};
bool GetThreadStackStart(void* thread, ThreadStackStart& out);

// Traces another thread, suspended by the caller, from its registers: its stack from the stack
// pointer to its base, the frame chain from its frame pointer and its instruction pointer as
// the top (unless options give them). Empty when the thread's registers cannot be read.
std::string TraceThreadStack(void* thread, const TraceStackOptions& options, TraceSession* session = nullptr);

// The quick collection for this process; with bounds 0 the calling thread's stack from the
// caller's frame, with frame 0 the caller's frame chain. Cheap enough for a throw wrapper: it
// touches neither cache and analyses nothing.
int CollectRawStack(std::uint32_t frame, std::uint32_t high, std::uint32_t low, bool is_exception,
                    std::uint32_t exception_address, std::vector<TDAPreStackItem>& out) noexcept;

std::string FormatCodeAddress(std::uint32_t address, bool show_rel_addrs, bool show_rel_lines,
                              TraceSession* session = nullptr);
bool LooksLikeReturnAddress(std::uint32_t address);

// Where the exception being handled was raised, as the capture records it; the internal-error
// text of a trace names that place. Until a reader is set, no place is named.
void SetRaiseAddressReader(std::uint32_t (*reader)());

}  // namespace roadsum
