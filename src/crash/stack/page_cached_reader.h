// Reads through another reader a page at a time and keeps the pages, so that the many small
// reads of a trace (8 bytes before each candidate, instruction after instruction) cost one
// system read per page instead of one each. Valid only while the memory does not change: the
// span of one trace or one collection.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

#include "crash/process/memory_reader.h"

namespace roadsum {

class PageCachedReader final : public MemoryReader {
public:
    static constexpr std::uint32_t kPageSize = 0x1000;

    explicit PageCachedReader(const MemoryReader& inner, std::size_t max_pages = 512) : inner_(inner), max_pages_(max_pages) {}

    bool try_read(std::uint32_t address, void* buffer, std::uint32_t count) const override;
    bool readable_range(std::uint32_t address, std::uint32_t& begin, std::uint32_t& end) const override {
        return inner_.readable_range(address, begin, end);
    }

private:
    using Page = std::array<std::uint8_t, kPageSize>;
    // The page at base, or null when it cannot be read as a whole.
    const Page* PageAt(std::uint32_t base) const;

    const MemoryReader& inner_;
    std::size_t max_pages_;
    mutable std::unordered_map<std::uint32_t, std::unique_ptr<Page>> pages_;  // null: not readable
};

}  // namespace roadsum
