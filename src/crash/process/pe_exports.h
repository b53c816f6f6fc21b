// The named exports of a 32-bit PE image, read from its export directory.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "crash/process/module_image.h"
#include "crash/process/pe_headers.h"

namespace roadsum {

inline constexpr std::size_t kExportDirectory = 0;

struct PeExport {
    std::uint32_t rva = 0;
    std::string name;
};

// The exports that have a name and lie in this image (forwarders to other modules are left
// out), in the order of the name table. A damaged table gives what could be read before it.
std::vector<PeExport> read_pe_exports(const ModuleImage& image, const PeHeaders& headers);

}  // namespace roadsum
