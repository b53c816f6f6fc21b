// The built-in defaults: what a getter answers for a key that the ruling module's set lacks.
#pragma once

#include <span>
#include <string_view>

#include "crash/settings/value.h"

namespace roadsum {

// The table, in its fixed order; keys that only a resource holds are not in it.
std::span<const SettingValue> builtin_settings_defaults();

// The default of a key, or null when the table has none.
const SettingValue* find_builtin_default(std::string_view name);

}  // namespace roadsum
