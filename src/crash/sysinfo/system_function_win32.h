// System routines that a Windows version may lack, looked up at run time so that their absence
// only drops what depends on them.
#pragma once

#include <windows.h>

namespace roadsum {

// The routine, or null when the library or the routine is missing. A library loaded here stays
// loaded: callers keep the pointer for the life of the process.
template <class Function>
Function system_function(const char* library, const char* name) {
    HMODULE module = GetModuleHandleA(library);
    if (!module) module = LoadLibraryA(library);
    if (!module) return nullptr;
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

}  // namespace roadsum
