// Names of the linker's symbols as the debug information stores them, so that the reader's
// Unmangle shows C++ functions as "Class.Method" (constructors as "Class.Create",
// destructors as "Class.Destroy") and C functions by their plain name:
//   "@Unit@Class@Method" for C++ functions of a unit, "@@Class@Method" without a unit,
//   "@Unit@Class@$ctor" and "@Unit@Class@$dtor" for constructors and destructors.
// The namespace "roadsum" and anonymous namespaces are left out; a "$" ends a name that would
// otherwise end in ')', which a text map would cut off.
#pragma once

#include <string>
#include <string_view>

namespace roadsum {

// raw: the COFF symbol name (with the leading underscore of 32-bit C names); unit: the unit
// that the function's code lies in, may be empty.
std::string stored_symbol_name(std::string_view raw, std::string_view unit);

// A unit name from a source file path: its stem in capitalised words without separators
// ("src/ui/roadsum_frm.cpp" gives "RoadsumFrm").
std::string unit_name_of_source(std::string_view path);

}  // namespace roadsum
