// The disassembly of one function for the bug report: labels, tables, instruction lines with
// target names and text hints, the crash marker, line numbers and the line limit.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "crash/process/memory_reader.h"
#include "crash/x86/function_info.h"
#include "crash/x86/symbol_lookup.h"

namespace roadsum {

constexpr const char* kListingInternalError =
    "Internal error in ParseFunction while composing the disassembling string...  :-(";

struct ListingOptions {
    std::uint32_t crash_address = 0;
    bool format = false;  // labels for every jump target, separators after returns and jumps
    int limit = 0;        // lines shown after the crash line, 0 for the whole function
    // The source line of an address, 0 when unknown; empty for no line-number column.
    std::function<int(std::uint32_t)> line_number;
    // The name of an exception class in a handler table; false when it cannot be read. Empty
    // for the run-time library's class layout.
    std::function<bool(std::uint32_t, std::string&)> class_name;
};

// Analyses the function at entry and lists it. Empty when the entry point is not readable.
std::string disassemble_function(std::uint32_t entry, const MemoryReader& reader, const SymbolLookup* symbols,
                                 const RuntimeRoutines& routines, const ListingOptions& options);

// Lists a function already analysed.
std::string compose_listing(const TFunctionInfo& info, const MemoryReader& reader, const SymbolLookup* symbols,
                            const RuntimeRoutines& routines, const ListingOptions& options);

// The class name of the run-time library's layout: a pointer 44 bytes before the class
// reference leads to a length-prefixed name.
bool read_runtime_class_name(const MemoryReader& reader, std::uint32_t class_ref, std::string& name);

}  // namespace roadsum
