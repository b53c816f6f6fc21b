// System routines that a Windows version may lack, looked up at run time so that their absence
// only drops what depends on them.
#pragma once

#include <windows.h>

#include <string>

namespace roadsum {

// The routine, or null when the library or the routine is missing. A library that is not loaded
// yet is loaded from the system folder, never from the program's or the current folder, and
// stays loaded: callers keep the pointer for the life of the process.
template <class Function>
Function system_function(const char* library, const char* name) {
    HMODULE module = GetModuleHandleA(library);
    if (!module) {
        char folder[MAX_PATH];
        const UINT n = GetSystemDirectoryA(folder, sizeof folder);
        if (n == 0 || n >= sizeof folder) return nullptr;
        module = LoadLibraryA((std::string(folder, n) + "\\" + library).c_str());
    }
    if (!module) return nullptr;
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

}  // namespace roadsum
