// A module's image as the loader maps it: the load address and reads at offsets from it.
// A loaded module, an executable file read from disk and test data all answer the same way.
#pragma once

#include <cstdint>

namespace roadsum {

class ModuleImage {
public:
    virtual ~ModuleImage() = default;
    virtual std::uint32_t base() const = 0;
    // True only when all count bytes at base + rva were read.
    virtual bool read(std::uint32_t rva, void* buffer, std::uint32_t count) const = 0;
};

}  // namespace roadsum
