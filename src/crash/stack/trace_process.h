// What the stack tracer needs from the process whose stacks it reads. The running process
// answers through the system (stack_trace_win32); tests answer from a fake address space.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "crash/debuginfo/map_file.h"
#include "crash/process/memory_reader.h"

namespace roadsum {

// A region as the system's memory query describes the one containing an address.
struct StackRegionInfo {
    std::uint32_t base = 0;
    std::uint32_t allocation_base = 0;  // of the whole reservation: a module's load address
    std::uint32_t size = 0;
    std::uint32_t state = 0;  // committed: 0x1000
    std::uint32_t protect = 0;
};

inline constexpr std::uint32_t kMemCommit = 0x1000;

class TraceProcess {
public:
    virtual ~TraceProcess() = default;

    // Every read of stack and code goes through this fault-tolerant reader.
    virtual const MemoryReader& Memory() const = 0;
    // False when the query gives no complete record.
    virtual bool Query(std::uint32_t address, StackRegionInfo& out) const = 0;
    // The module's full file path; empty when the address is no module's load address.
    virtual std::string ModuleFileName(std::uint32_t module) const = 0;
    // The module's debug information; null (or not Loaded) when it has none.
    virtual std::shared_ptr<const TMapFile> DebugInfo(std::uint32_t module, const std::string& path) const = 0;
    // The load address of the main executable.
    virtual std::uint32_t MainModule() const = 0;
    // The return address inside the run-time library's try..finally exit code, which the
    // tracer ignores as a candidate; 0 when the run-time library has none.
    virtual std::uint32_t TryFinallyReturn() const { return 0; }
    // Where the exception that is being handled right now was raised; 0 when unknown.
    virtual std::uint32_t CurrentRaiseAddress() const { return 0; }
};

}  // namespace roadsum
