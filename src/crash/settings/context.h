// Where settings objects come from: the store of module records, the module source that
// reads resources, the environment for expanded texts, and the settings that rule the process.
#pragma once

#include <atomic>
#include <mutex>
#include <optional>
#include <string>

#include "crash/settings/crash_settings.h"
#include "crash/settings/environment.h"
#include "crash/settings/store.h"

namespace roadsum {

inline constexpr const char* kSettingsBufferErrorMessage = "internal error (opening settings buffer)";
// The development environment's package whose settings rule when the reporter's module has none.
inline constexpr const char* kIdePackageName = "noxExceptIde_.bpl";

class SettingsContext {
public:
    SettingsContext(SettingsEnvironment& environment, ModuleSource& modules, SettingsStore& store);
    ~SettingsContext();
    SettingsContext(const SettingsContext&) = delete;
    SettingsContext& operator=(const SettingsContext&) = delete;

    SettingsEnvironment& Environment() const { return environment_; }

    // A new settings object for the module. When the store cannot be opened the user is told
    // and the object is invalid (defaults only).
    Ref<TCrashSettings> SettingsOf(ModuleHandle module);

    // The settings that rule the process, chosen on first use: the reporter's module when it
    // has settings that count, else the development package's, else the first module image
    // whose settings count, else the first image with settings at all.
    Ref<TCrashSettings> RulingSettings();
    // The ruling settings if chosen already, else null. Lookups use this and never wait.
    const TCrashSettings* CurrentRuling() const { return ruling_.load(std::memory_order_acquire); }
    // Lets the ruling settings go (before their module unloads).
    void ReleaseRuling();

    // For a report object's copy: one more reference to the module's record.
    bool Reference(ModuleHandle module);
    void Release(ModuleHandle module);

private:
    ModuleSettingsData Load(ModuleHandle module, std::optional<std::string>& error) const;
    Ref<TCrashSettings> ChooseRuling();

    SettingsEnvironment& environment_;
    ModuleSource& modules_;
    SettingsStore& store_;
    std::mutex ruling_lock_;
    Ref<TCrashSettings> ruling_holder_;
    std::atomic<const TCrashSettings*> ruling_{nullptr};
};

}  // namespace roadsum
