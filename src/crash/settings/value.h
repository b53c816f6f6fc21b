// One named setting of the crash reporter, as kept in a module's set and in the built-in table.
#pragma once

#include <cstdint>
#include <string>

namespace roadsum {

enum class SettingKind : std::uint8_t { Text = 0, Integer = 1, Byte = 2 };  // Byte: booleans, enumerations

struct SettingValue {
    std::string name;  // compared exactly, case-sensitively
    SettingKind kind = SettingKind::Text;
    std::uint8_t byte_value = 0;
    std::int32_t int_value = 0;
    std::string text;

    static SettingValue boolean(std::string name, bool value);
    static SettingValue byte(std::string name, std::uint8_t value);
    static SettingValue integer(std::string name, std::int32_t value);
    static SettingValue text_value(std::string name, std::string value);

    // The value seen through each kind of getter: integers and bytes read as each other;
    // a text reads as false and 0, a number as "".
    bool as_bool() const;
    std::int32_t as_int() const;

    friend bool operator==(const SettingValue&, const SettingValue&) = default;
};

// ModuleHandle: the load address of a module (0: none).
using ModuleHandle = std::uintptr_t;

}  // namespace roadsum
