// Reads through another reader a block at a time and keeps the blocks, so that the many small
// reads of a trace (8 bytes before each candidate, instruction after instruction) cost one
// system read per block instead of one each: reading the own process costs a system call,
// and under Wine a round trip to its server, whatever the size. Valid only while the memory
// does not change: the span of one trace or one collection. Blocks of memory that does not
// change at all (read-only image pages) may be kept beyond it, for the next trace.
#pragma once

#include <cstdint>
#include <functional>
#include <unordered_map>
#include <vector>

#include "crash/process/memory_reader.h"

namespace roadsum {

class PageCachedReader final : public MemoryReader {
public:
    static constexpr std::uint32_t kBlockSize = 0x10000;
    static constexpr std::uint32_t kPageSize = 0x1000;

    // Whether the memory [begin, end) stays as it is for as long as the reader is used.
    using LastingTest = std::function<bool(std::uint32_t begin, std::uint32_t end)>;

    explicit PageCachedReader(const MemoryReader& inner, std::size_t max_blocks = 64, LastingTest lasting = {})
        : inner_(inner), max_blocks_(max_blocks), lasting_(std::move(lasting)) {}

    // Forgets every block but those of lasting memory: before the reader serves another trace.
    void ForgetChanging();

    bool try_read(std::uint32_t address, void* buffer, std::uint32_t count) const override;
    bool readable_range(std::uint32_t address, std::uint32_t& begin, std::uint32_t& end) const override {
        return inner_.readable_range(address, begin, end);
    }

private:
    struct Block {
        std::uint32_t begin = 0;  // the bytes held: [begin, begin + bytes.size())
        std::vector<std::uint8_t> bytes;
        bool lasting = false;
    };
    // The block around address; empty when nothing around it could be read.
    const Block& BlockAt(std::uint32_t address) const;

    const MemoryReader& inner_;
    std::size_t max_blocks_;
    LastingTest lasting_;
    mutable std::unordered_map<std::uint32_t, Block> blocks_;  // by aligned block address
};

}  // namespace roadsum
