// Registry reads of the hardware list, small enough to fake in tests.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace roadsum {

enum class RegistryRoot { LocalMachine, DynamicData };

class RegistryReader {
public:
    virtual ~RegistryReader() = default;
    // A text value ("" names the key's default value); "" when it cannot be read.
    virtual std::string text(RegistryRoot root, std::string_view key, std::string_view value) const = 0;
    // A value of exactly 4 bytes, of any type, as a little-endian number.
    virtual std::optional<std::uint32_t> four_bytes(RegistryRoot root, std::string_view key,
                                                    std::string_view value) const = 0;
    // The names of the key's subkeys in the registry's order.
    virtual std::vector<std::string> subkeys(RegistryRoot root, std::string_view key) const = 0;
};

}  // namespace roadsum
