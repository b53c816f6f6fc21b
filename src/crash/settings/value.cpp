#include "crash/settings/value.h"

namespace roadsum {

SettingValue SettingValue::boolean(std::string name, bool value) { return byte(std::move(name), value ? 1 : 0); }

SettingValue SettingValue::byte(std::string name, std::uint8_t value) {
    SettingValue v;
    v.name = std::move(name);
    v.kind = SettingKind::Byte;
    v.byte_value = value;
    return v;
}

SettingValue SettingValue::integer(std::string name, std::int32_t value) {
    SettingValue v;
    v.name = std::move(name);
    v.kind = SettingKind::Integer;
    v.int_value = value;
    return v;
}

SettingValue SettingValue::text_value(std::string name, std::string value) {
    SettingValue v;
    v.name = std::move(name);
    v.kind = SettingKind::Text;
    v.text = std::move(value);
    return v;
}

bool SettingValue::as_bool() const { return as_int() != 0; }

std::int32_t SettingValue::as_int() const {
    switch (kind) {
        case SettingKind::Integer: return int_value;
        case SettingKind::Byte: return byte_value;
        case SettingKind::Text: return 0;
    }
    return 0;
}

}  // namespace roadsum
