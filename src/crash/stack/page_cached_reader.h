// Reads through another reader a block at a time and keeps the blocks, so that the many small
// reads of a trace (8 bytes before each candidate, instruction after instruction) cost one
// system read per block instead of one each: reading the own process costs a system call,
// and under Wine a round trip to its server, whatever the size. Valid only while the memory
// does not change: the span of one trace or one collection.
#pragma once

#include <cstdint>
#include <unordered_map>
#include <vector>

#include "crash/process/memory_reader.h"

namespace roadsum {

class PageCachedReader final : public MemoryReader {
public:
    static constexpr std::uint32_t kBlockSize = 0x10000;
    static constexpr std::uint32_t kPageSize = 0x1000;

    explicit PageCachedReader(const MemoryReader& inner, std::size_t max_blocks = 64) : inner_(inner), max_blocks_(max_blocks) {}

    bool try_read(std::uint32_t address, void* buffer, std::uint32_t count) const override;
    bool readable_range(std::uint32_t address, std::uint32_t& begin, std::uint32_t& end) const override {
        return inner_.readable_range(address, begin, end);
    }

private:
    struct Block {
        std::uint32_t begin = 0;  // the bytes held: [begin, begin + bytes.size())
        std::vector<std::uint8_t> bytes;
    };
    // The block around address; empty when nothing around it could be read.
    const Block& BlockAt(std::uint32_t address) const;

    const MemoryReader& inner_;
    std::size_t max_blocks_;
    mutable std::unordered_map<std::uint32_t, Block> blocks_;  // by aligned block address
};

}  // namespace roadsum
