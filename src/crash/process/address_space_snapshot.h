// The readable ranges of an address space, taken once so that the many small reads of a stack
// analysis find unreadable memory by a binary search instead of a system call.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

namespace roadsum {

// One region as the system's memory query describes it.
struct MemoryRegion {
    std::uint32_t base = 0;
    std::uint32_t size = 0;
    std::uint32_t state = 0;    // committed: 0x1000
    std::uint32_t protect = 0;
    std::uint32_t allocation_base = 0;  // where the allocation that holds the region begins
};

// Committed and plainly readable (read-only, read-write, execute, execute-read,
// execute-read-write); guard and no-access pages are not.
bool is_readable_region(const MemoryRegion& region);

class AddressSpaceSnapshot {
public:
    struct Range {
        std::uint32_t begin;
        std::uint32_t end;  // exclusive; 0 means the end of the address space
        bool readable;
    };

    // Queries regions from address 0 upward until the address turns negative as a signed 32-bit
    // number; neighbours of equal readability are merged. query returns false when it fails.
    void build(const std::function<bool(std::uint32_t, MemoryRegion&)>& query);

    // The range containing address, or nullptr.
    const Range* find(std::uint32_t address) const;
    const std::vector<Range>& ranges() const { return ranges_; }

private:
    std::vector<Range> ranges_;
};

}  // namespace roadsum
