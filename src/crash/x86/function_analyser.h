// Follows a function's control flow from its entry point.
#pragma once

#include <cstdint>

#include "crash/process/memory_reader.h"
#include "crash/x86/function_info.h"
#include "crash/x86/symbol_lookup.h"

namespace roadsum {

// Analyses the function at entry. The containing module's code range bounds the analysis
// (outside a module, the reader's readable range). symbols may be null.
TFunctionInfo analyse_function(std::uint32_t entry, const MemoryReader& reader, const SymbolLookup* symbols,
                               const RuntimeRoutines& routines = {});

}  // namespace roadsum
