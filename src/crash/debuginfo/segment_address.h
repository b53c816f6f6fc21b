// Addresses given as segment number and offset, where the number counts the module's
// sections from 1, as TD32 data gives them.
#pragma once

#include <cstdint>
#include <optional>

#include "crash/debuginfo/map_file_types.h"

namespace roadsum {

struct SegmentAddress {
    std::uint32_t address = 0;
    bool code = false;
};

// Without a section table (no image at hand) segment 1 is the code at CodeStart and every
// other one data at DataStart.
inline std::optional<SegmentAddress> resolve_segment_address(const ModuleLayout& layout, std::uint32_t segment,
                                                             std::uint32_t offset) {
    if (segment == 0) return std::nullopt;
    if (layout.Sections.empty()) {
        if (segment == 1) return SegmentAddress{layout.CodeStart + offset, true};
        return SegmentAddress{layout.DataStart + offset, false};
    }
    if (segment > layout.Sections.size()) return std::nullopt;
    const ModuleLayout::Section& s = layout.Sections[segment - 1];
    return SegmentAddress{s.start + offset, s.code};
}

}  // namespace roadsum
