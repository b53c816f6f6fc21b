// The settings of this process on Windows: every module that carries the reporter shares the
// module list through the settings buffer, a named mapping of the process.
#pragma once

#include <cstdint>
#include <string>

#include "crash/settings/context.h"
#include "crash/settings/crash_settings.h"
#include "crash/settings/environment.h"
#include "crash/settings/store.h"

namespace roadsum {

inline constexpr const char* kSettingsBufferPrefix = "noxExceptSettingsBuf";
inline constexpr const char* kSettingsMutexPrefix = "noxExceptSettingsMtx";
inline constexpr const char* kSettingsResourceName = "TNOXEXCEPT";

class Win32SettingsEnvironment : public SettingsEnvironment {
public:
    ModuleHandle executable() const override;
    std::string module_path(ModuleHandle module) const override;
    std::string version_variable(ModuleHandle module, std::int32_t offset) const override;
    std::string file_version(ModuleHandle module) const override;
    LocalTime local_time() const override;
    std::string computer_name() const override;
    std::optional<std::string> special_folder(SpecialFolder folder) const override;
    const AnsiCodePage& code_page() const override;
    void show_error(const std::string& text, const std::string& caption) const override;
};

class Win32ModuleSource : public ModuleSource {
public:
    ModuleHandle reporter_module() const override;
    ModuleHandle find_loaded(std::string_view file_name) const override;
    std::vector<ModuleHandle> images() const override;
    std::optional<std::vector<std::uint8_t>> settings_resource(ModuleHandle module) const override;
};

// The module list in the process's settings buffer, shared with the other modules.
class SharedSettingsStore final : public SettingsStore {
public:
    std::optional<ModuleSettingsData> acquire(ModuleHandle module,
                                              const std::function<ModuleSettingsData()>& load) override;
    void release(ModuleHandle module) override;
};

// What the settings buffer holds now, for diagnostics and tests. Zeros when there is none.
struct SettingsBufferState {
    std::uintptr_t address = 0;  // where every module of the process sees it
    int references = 0;
    int records = 0;
};
SettingsBufferState settings_buffer_state();
// The references of a module's record in the buffer; 0 when it is not listed.
int settings_buffer_record_references(ModuleHandle module);

// The settings of this module's code: the settings that rule the process, those of a module,
// and those of the module that contains an address (the ruling ones when none does).
SettingsContext& ProcessSettingsContext();
Ref<TCrashSettings> RulingSettings();
Ref<TCrashSettings> ModuleSettings(ModuleHandle module);
Ref<TCrashSettings> SettingsOfAddress(const void* address);

}  // namespace roadsum
