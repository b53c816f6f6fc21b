// The modules and functions that traces have met, kept for the whole process so that a
// module's headers and debug information and a function's analysis are made once and reused
// by every later trace. Both lists start with room for 16 entries and double when full.
//
// No lock: one trace runs at a time (the process-wide adapter serialises its callers).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "crash/debuginfo/map_file.h"
#include "crash/x86/function_info.h"

namespace roadsum {

struct TStackExport {
    std::uint32_t Address = 0;
    std::string Name;
};

struct TStackModule {
    std::uint32_t ModuleHandle = 0;
    std::string FilePath;  // as the module-file-name query gave it
    std::string FileName;  // without path
    std::uint32_t CodeBegin = 0, CodeEnd = 0;
    std::uint32_t DataBegin = 0, DataEnd = 0;
    std::uint32_t ImageSize = 0;
    std::uint32_t EntryPoint = 0;  // absolute; 0 when the header names none
    std::shared_ptr<const TMapFile> DebugInfo;  // null without valid debug information
    bool ExportsRead = false;
    std::vector<TStackExport> Exports;  // by address, read when first needed
    std::uint32_t VerifiedInTrace = 0;  // the trace that last found the module unchanged

    bool HasDebugInfo() const { return DebugInfo && DebugInfo->Loaded; }
    // Ranges are tested as begin < address <= end: a return address may follow the last call
    // of the code but never precede its first byte.
    bool InCode(std::uint32_t address) const { return CodeBegin < address && address <= CodeEnd; }
    bool InData(std::uint32_t address) const { return DataBegin < address && address <= DataEnd; }
    bool InImage(std::uint32_t address) const { return address - ModuleHandle < ImageSize; }
};

// Where a call that ends at a return address lies: its own address, and its target when it
// is constant.
struct CallSite {
    std::uint32_t CodeAddress = 0;
    bool HasTarget = false;
    std::uint32_t Target = 0;
};

struct TStackFunction {
    std::int32_t ModuleIndex = -1;
    std::string Name;  // display name, empty when unknown
    TFunctionInfo Info;
    bool Approved = false;  // reached from a trusted starting point
    bool Invalid = false;   // ruled out in the current trace
    bool Stale = false;     // its module was replaced; never matched again
    bool UnknownTransfers = false;  // jumps on through a register or a computed pointer
    std::vector<std::uint32_t> TailTargets;  // where it jumps on through a constant slot (an import thunk)
    // Calls by return address: direct ones with their targets, then indirect calls.
    std::unordered_map<std::uint32_t, CallSite> CallsByReturn;

    bool Usable() const { return !Invalid && !Stale; }
    // Whether address lies in one of the code areas (not the tables).
    bool Covers(std::uint32_t address) const;
};

class StackCaches {
public:
    StackCaches();
    StackCaches(const StackCaches&) = delete;
    StackCaches& operator=(const StackCaches&) = delete;

    std::vector<TStackModule>& Modules() { return modules_; }
    std::vector<TStackFunction>& Functions() { return functions_; }
    const std::vector<TStackModule>& Modules() const { return modules_; }
    const std::vector<TStackFunction>& Functions() const { return functions_; }

    // -1 when not cached.
    std::int32_t FindModule(std::uint32_t handle) const;
    std::int32_t AddModule(TStackModule module);
    // Replaces a module whose file changed at its address; its functions are dropped.
    void ReplaceModule(std::int32_t index, TStackModule module);

    std::int32_t FindFunction(std::uint32_t entry) const;
    std::int32_t AddFunction(TStackFunction function);
    // Approved functions in cache order.
    const std::vector<std::int32_t>& ApprovedFunctions() const { return approved_; }
    void Approve(std::int32_t index);

    // A new trace: the invalid marks of the last one are forgotten.
    void BeginTrace();
    std::uint32_t CurrentTrace() const { return trace_; }

    // The routines of the run-time library of the main module, found once.
    bool RoutinesKnown = false;
    RuntimeRoutines Routines;

private:
    std::vector<TStackModule> modules_;
    std::vector<TStackFunction> functions_;
    std::unordered_map<std::uint32_t, std::int32_t> module_index_, function_index_;
    std::vector<std::int32_t> approved_;
    std::uint32_t trace_ = 0;
};

}  // namespace roadsum
