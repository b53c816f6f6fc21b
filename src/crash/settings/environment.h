// What the settings need from the system, as small interfaces: the Windows versions live in
// settings_environment_win32.cpp, tests use fakes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "crash/settings/ansi_code_page.h"
#include "crash/settings/value.h"

namespace roadsum {

struct LocalTime {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, millisecond = 0;
};

enum class SpecialFolder { UserAppData, CommonAppData };

// The facts that texts are expanded with.
class SettingsEnvironment {
public:
    virtual ~SettingsEnvironment() = default;
    virtual ModuleHandle executable() const = 0;
    // The full file name of a module; "" when unknown.
    virtual std::string module_path(ModuleHandle module) const = 0;
    // The text that the variable at module + offset holds; "" when it cannot be read.
    virtual std::string version_variable(ModuleHandle module, std::int32_t offset) const = 0;
    // The file version from the module's version resource; "" when it has none.
    virtual std::string file_version(ModuleHandle module) const = 0;
    virtual LocalTime local_time() const = 0;
    virtual std::string computer_name() const = 0;
    // Nothing when the folder cannot be determined; "" when the system names none.
    virtual std::optional<std::string> special_folder(SpecialFolder folder) const = 0;
    virtual const AnsiCodePage& code_page() const = 0;
    // Tells the user about a broken resource or buffer (a message box on Windows).
    virtual void show_error(const std::string& text, const std::string& caption) const = 0;
};

// The modules of the process and their settings resources.
class ModuleSource {
public:
    virtual ~ModuleSource() = default;
    // The module whose code is running this: the one that carries the reporter.
    virtual ModuleHandle reporter_module() const = 0;
    // A loaded module by file name; 0 when it is not loaded.
    virtual ModuleHandle find_loaded(std::string_view file_name) const = 0;
    // Every loaded module image, in address order.
    virtual std::vector<ModuleHandle> images() const = 0;
    // The bytes of the module's settings resource; nothing when it has none.
    virtual std::optional<std::vector<std::uint8_t>> settings_resource(ModuleHandle module) const = 0;
};

}  // namespace roadsum
