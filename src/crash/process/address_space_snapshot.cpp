#include "crash/process/address_space_snapshot.h"

#include <algorithm>

namespace roadsum {

bool is_readable_region(const MemoryRegion& region) {
    if (region.state != 0x1000) return false;
    switch (region.protect) {
    case 0x02: case 0x04: case 0x10: case 0x20: case 0x40: return true;
    default: return false;
    }
}

void AddressSpaceSnapshot::build(const std::function<bool(std::uint32_t, MemoryRegion&)>& query) {
    ranges_.clear();
    ranges_.reserve(64);
    std::uint32_t address = 0;
    while (static_cast<std::int32_t>(address) >= 0) {
        MemoryRegion region;
        if (!query(address, region) || region.size == 0) break;
        const std::uint32_t end = region.base + region.size;
        if (end <= address && end != 0) break;  // a query that does not move on
        const bool readable = is_readable_region(region);
        if (!ranges_.empty() && ranges_.back().readable == readable && ranges_.back().end == address) {
            ranges_.back().end = end;
        } else {
            if (ranges_.size() == ranges_.capacity()) ranges_.reserve(ranges_.capacity() + ranges_.capacity() / 2);
            ranges_.push_back({address, end, readable});
        }
        if (end == 0) break;
        address = end;
    }
}

const AddressSpaceSnapshot::Range* AddressSpaceSnapshot::find(std::uint32_t address) const {
    auto it = std::upper_bound(ranges_.begin(), ranges_.end(), address,
                               [](std::uint32_t a, const Range& r) { return a < r.begin; });
    if (it == ranges_.begin()) return nullptr;
    --it;
    if (it->end != 0 && address >= it->end) return nullptr;
    return &*it;
}

}  // namespace roadsum
