// Reading a module's settings from its resource (a component stream of one object whose
// properties are the settings).
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "crash/settings/ansi_code_page.h"
#include "crash/settings/component_stream.h"
#include "crash/settings/keys.h"
#include "crash/settings/value.h"

namespace roadsum {

// The value types a settings resource may hold; anything else ends the reading.
inline constexpr ValueTypeSet kSettingsValueTypes{ValueType::Int8,    ValueType::Int16,  ValueType::Int32,
                                                  ValueType::String,  ValueType::False,  ValueType::True,
                                                  ValueType::LString, ValueType::WString, ValueType::Utf8String};

struct LoadedSettings {
    std::vector<SettingValue> entries;  // what could be read, in the order of the resource
    std::optional<std::string> error;   // the message to show when the resource is broken
};

// Reads the settings and replaces stored passwords by their clear text. A broken resource
// keeps the settings read before the fault and gives the message for the user.
LoadedSettings read_settings_stream(std::span<const std::uint8_t> data, const AnsiCodePage& code_page);

// The text setting of that name; empty when there is none or it is not a text.
std::string text_of(const std::vector<SettingValue>& entries, TextKey key);

// The "MinDebugInfo" text of a settings resource, for the debug information's loader.
std::string min_debug_info_of(std::string_view settings_resource);

// The message box text for a broken settings resource (caption kSettingsMessageCaption).
std::string invalid_settings_message(const StreamReadResult& result);
inline constexpr const char* kSettingsMessageCaption = "noxExcept";

}  // namespace roadsum
