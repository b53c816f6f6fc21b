#include <windows.h>

#include <atomic>

#include "crash/settings/settings_win32.h"

namespace roadsum {

namespace {

struct ProcessSettings {
    Win32SettingsEnvironment environment;
    Win32ModuleSource modules;
    SharedSettingsStore store;
    SettingsContext context{environment, modules, store};
};

std::atomic<ProcessSettings*> g_process{nullptr};

// Never destroyed: report objects may still hold settings while statics go away.
ProcessSettings& process() {
    static ProcessSettings* p = [] {
        auto* made = new ProcessSettings;
        g_process.store(made, std::memory_order_release);
        return made;
    }();
    return *p;
}

// When this module unloads, its ruling settings give their record back, so that the last
// module to go frees the settings buffer.
struct ReleaseAtUnload {
    ~ReleaseAtUnload() {
        if (ProcessSettings* p = g_process.load(std::memory_order_acquire)) p->context.ReleaseRuling();
    }
} g_release_at_unload;

}  // namespace

SettingsContext& ProcessSettingsContext() { return process().context; }

Ref<TCrashSettings> RulingSettings() { return process().context.RulingSettings(); }

Ref<TCrashSettings> ModuleSettings(ModuleHandle module) {
    SettingsContext& context = process().context;
    context.RulingSettings();  // lookups fall back on it, so it is chosen first
    return context.SettingsOf(module);
}

Ref<TCrashSettings> SettingsOfAddress(const void* address) {
    HMODULE module = nullptr;
    if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            static_cast<LPCSTR>(address), &module))
        return RulingSettings();
    return ModuleSettings(reinterpret_cast<ModuleHandle>(module));
}

}  // namespace roadsum
