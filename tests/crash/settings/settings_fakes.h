// Fakes of the system behind the settings, and a fixture that makes settings objects from
// resources written in the text form of the component stream.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "crash/settings/component_stream.h"
#include "crash/settings/component_stream_text.h"
#include "crash/settings/context.h"
#include "crash/settings/crash_settings.h"
#include "crash/settings/environment.h"
#include "crash/settings/store.h"

namespace roadsum::testing {

class FakeEnvironment : public SettingsEnvironment {
public:
    ModuleHandle exe = 0x400000;
    std::map<ModuleHandle, std::string> paths;
    std::map<ModuleHandle, std::string> file_versions;
    std::map<std::pair<ModuleHandle, std::int32_t>, std::string> variables;
    LocalTime time{2024, 3, 7, 9, 5, 4, 42};
    std::string computer = "WORKSHOP-PC";
    std::map<SpecialFolder, std::optional<std::string>> folders;
    mutable std::vector<std::string> errors;

    ModuleHandle executable() const override { return exe; }
    std::string module_path(ModuleHandle m) const override { return find(paths, m); }
    std::string version_variable(ModuleHandle m, std::int32_t offset) const override {
        auto it = variables.find({m, offset});
        return it == variables.end() ? std::string() : it->second;
    }
    std::string file_version(ModuleHandle m) const override { return find(file_versions, m); }
    LocalTime local_time() const override { return time; }
    std::string computer_name() const override { return computer; }
    std::optional<std::string> special_folder(SpecialFolder f) const override {
        auto it = folders.find(f);
        return it == folders.end() ? std::nullopt : it->second;
    }
    const AnsiCodePage& code_page() const override { return code_page_; }
    void show_error(const std::string& text, const std::string& caption) const override {
        errors.push_back(caption + ": " + text);
    }

private:
    static std::string find(const std::map<ModuleHandle, std::string>& m, ModuleHandle key) {
        auto it = m.find(key);
        return it == m.end() ? std::string() : it->second;
    }
    Windows1252CodePage code_page_;
};

class FakeModules : public ModuleSource {
public:
    ModuleHandle reporter = 0x400000;
    std::map<std::string, ModuleHandle> loaded;
    std::vector<ModuleHandle> image_list;
    std::map<ModuleHandle, std::vector<std::uint8_t>> resources;
    mutable int resource_reads = 0;

    ModuleHandle reporter_module() const override { return reporter; }
    ModuleHandle find_loaded(std::string_view name) const override {
        auto it = loaded.find(std::string(name));
        return it == loaded.end() ? 0 : it->second;
    }
    std::vector<ModuleHandle> images() const override { return image_list; }
    std::optional<std::vector<std::uint8_t>> settings_resource(ModuleHandle m) const override {
        ++resource_reads;
        auto it = resources.find(m);
        if (it == resources.end()) return std::nullopt;
        return it->second;
    }
};

// The binary stream of an object given in text form.
inline std::vector<std::uint8_t> stream_of(const std::string& text) {
    return write_component_stream(component_stream_from_text(text));
}

// A settings resource with the given property lines.
inline std::vector<std::uint8_t> settings_resource(const std::string& properties) {
    return stream_of("object noxExcept: TNoxExcept\n" + properties + "\nend\n");
}

inline constexpr ModuleHandle kExe = 0x400000;
inline constexpr ModuleHandle kLibrary = 0x10000000;

struct SettingsWorld {
    FakeEnvironment env;
    FakeModules modules;
    InProcessSettingsStore store;
    SettingsContext context{env, modules, store};

    SettingsWorld() {
        env.paths[kExe] = "C:\\Program Files\\Roadsum\\Roadsum.exe";
        env.paths[kLibrary] = "C:\\Program Files\\Roadsum\\Plugin.dll";
        modules.image_list = {kExe, kLibrary};
    }

    void give(ModuleHandle module, const std::string& properties) {
        modules.resources[module] = settings_resource(properties);
    }
};

// A report object as the exception capture will make one: a copy of a module's settings that
// also knows the exception.
class FakeReport final : public TCrashSettings {
public:
    explicit FakeReport(const TCrashSettings& source) : TCrashSettings(source) {}

    std::string exception_class = "EConvertError";
    std::string exception_message = "'x' is not a valid integer value";
    std::string report_text = "date/time : now";
    std::optional<bool> has_screenshot = true;

protected:
    std::optional<std::string> ReportVariable(TextVariable v) const override {
        switch (v) {
            case TextVariable::ExceptClass: return exception_class;
            case TextVariable::ExceptMsg: return exception_message.empty() ? "Unknown" : exception_message;
            case TextVariable::BugReport: return report_text;
            default: return std::nullopt;
        }
    }
    std::optional<bool> ReportHasScreenshot() const override { return has_screenshot; }
};

}  // namespace roadsum::testing
