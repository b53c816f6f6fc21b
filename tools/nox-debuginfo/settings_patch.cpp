#include "settings_patch.h"

#include "crash/settings/ansi_code_page.h"
#include "crash/settings/settings_stream.h"

namespace roadsum {

namespace {

constexpr std::string_view kProperty = "\x0CMinDebugInfo";
constexpr char kShortText = 6;

}  // namespace

bool set_min_debug_info(std::string& stream, std::string_view value, std::string& error) {
    const std::size_t at = stream.find(kProperty);
    if (at == std::string::npos || stream.find(kProperty, at + 1) != std::string::npos) {
        error = "the settings need exactly one MinDebugInfo property";
        return false;
    }
    const std::size_t type = at + kProperty.size();
    if (type + 2 > stream.size() || stream[type] != kShortText ||
        static_cast<unsigned char>(stream[type + 1]) != value.size() || type + 2 + value.size() > stream.size()) {
        error = "MinDebugInfo must be a text of " + std::to_string(value.size()) + " characters";
        return false;
    }
    stream.replace(type + 2, value.size(), value);
    // The stream must still read as settings, with the new value in place.
    const LoadedSettings check =
        read_settings_stream({reinterpret_cast<const std::uint8_t*>(stream.data()), stream.size()}, Windows1252CodePage());
    if (!check.error && text_of(check.entries, keys::MinDebugInfo) == value) return true;
    error = "the settings stream does not read back";
    return false;
}

}  // namespace roadsum
