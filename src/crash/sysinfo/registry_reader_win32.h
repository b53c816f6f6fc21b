// The registry of this machine, read-only.
#pragma once

#include "crash/sysinfo/registry_reader.h"

namespace roadsum {

class Win32RegistryReader final : public RegistryReader {
public:
    std::string text(RegistryRoot root, std::string_view key, std::string_view value) const override;
    std::optional<std::uint32_t> four_bytes(RegistryRoot root, std::string_view key,
                                            std::string_view value) const override;
    std::vector<std::string> subkeys(RegistryRoot root, std::string_view key) const override;
};

}  // namespace roadsum
