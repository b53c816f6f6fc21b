// A library that carries its own copy of the settings code, as a second module of a process
// would: it must find the settings buffer that the test program made.
#include <windows.h>

#include <cstring>
#include <vector>

#include "crash/settings/settings_win32.h"

namespace {

std::vector<roadsum::Ref<roadsum::TCrashSettings>> g_held;

roadsum::ModuleHandle own_module() {
    HMODULE module = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&own_module), &module);
    return reinterpret_cast<roadsum::ModuleHandle>(module);
}

}  // namespace

extern "C" {

__declspec(dllexport) int module_take_settings() {
    g_held.push_back(roadsum::ModuleSettings(own_module()));
    return static_cast<int>(g_held.size());
}

__declspec(dllexport) void module_drop_settings() { g_held.clear(); }

// The text of a key as this library's settings answer it.
__declspec(dllexport) int module_text(const char* key, char* out, int size) {
    if (g_held.empty() || size <= 0) return -1;
    std::string text = g_held.front()->GetText(key);
    std::strncpy(out, text.c_str(), static_cast<std::size_t>(size) - 1);
    out[size - 1] = '\0';
    return static_cast<int>(text.size());
}

__declspec(dllexport) std::uintptr_t module_ruling() { return roadsum::RulingSettings()->Module(); }

__declspec(dllexport) std::uintptr_t module_buffer_address() { return roadsum::settings_buffer_state().address; }

}  // extern "C"
