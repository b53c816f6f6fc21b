// Where a module's code and data lie once it is loaded, from its image headers.
#pragma once

#include <cstdint>
#include <vector>

namespace roadsum {

// Where the module's code and data lie; the readers turn relative addresses into absolute
// ones with it. Ends are exclusive; 0 means unknown.
struct ModuleLayout {
    std::uint32_t ModuleHandle = 0;
    std::uint32_t ImageSize = 0;
    std::uint32_t CodeStart = 0, CodeEnd = 0;
    std::uint32_t DataStart = 0, DataEnd = 0;
    struct Section {
        std::uint32_t start = 0;  // absolute
        std::uint32_t size = 0;
        bool code = false;
    };
    std::vector<Section> Sections;  // in section-number order (number 1 first)
};

}  // namespace roadsum
