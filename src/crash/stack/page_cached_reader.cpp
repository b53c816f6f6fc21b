#include "crash/stack/page_cached_reader.h"

#include <algorithm>
#include <cstring>

namespace roadsum {

namespace {

// Whole stacks are read once; keeping them would only push the code out.
constexpr std::uint32_t kLargeRead = 4 * PageCachedReader::kPageSize;

}  // namespace

const PageCachedReader::Block& PageCachedReader::BlockAt(std::uint32_t address) const {
    const std::uint32_t aligned = address & ~(kBlockSize - 1);
    if (const auto it = blocks_.find(aligned); it != blocks_.end()) return it->second;
    // A full cache starts again: the blocks of one trace are few.
    if (blocks_.size() >= max_blocks_) blocks_.clear();
    Block& block = blocks_[aligned];
    // As much of the block as lies in the readable range around address, where the reader
    // knows it; else the page of address alone.
    std::uint32_t begin = address & ~(kPageSize - 1), end = begin + kPageSize, range_begin = 0, range_end = 0;
    if (inner_.readable_range(address, range_begin, range_end)) {
        begin = std::max(aligned, range_begin);
        end = range_end == 0 || range_end - aligned > kBlockSize ? aligned + kBlockSize : range_end;
        if (end == 0) end = 0u - kPageSize;  // the block at the top of the address space
    }
    if (begin == 0 || end <= begin) return block;
    block.bytes.resize(end - begin);
    if (inner_.try_read(begin, block.bytes.data(), end - begin)) {
        block.begin = begin;
        block.lasting = lasting_ && lasting_(begin, end);
    } else {
        block.bytes.clear();
    }
    return block;
}

void PageCachedReader::ForgetChanging() {
    std::erase_if(blocks_, [](const auto& entry) { return !entry.second.lasting; });
}

bool PageCachedReader::try_read(std::uint32_t address, void* buffer, std::uint32_t count) const {
    if (address == 0) return false;
    if (count == 0) return true;
    if (count > kLargeRead || count > 0xFFFFFFFFu - address + 1) return inner_.try_read(address, buffer, count);
    auto* out = static_cast<std::uint8_t*>(buffer);
    for (std::uint32_t done = 0; done < count;) {
        const std::uint32_t at = address + done;
        const Block& block = BlockAt(at);
        const std::uint64_t held_end = std::uint64_t{block.begin} + block.bytes.size();
        if (block.bytes.empty() || at < block.begin || at >= held_end) {
            // Not held (a page that is not readable as a whole may still hold these bytes).
            return inner_.try_read(at, out + done, count - done);
        }
        const auto n = static_cast<std::uint32_t>(std::min<std::uint64_t>(count - done, held_end - at));
        std::memcpy(out + done, block.bytes.data() + (at - block.begin), n);
        done += n;
    }
    return true;
}

}  // namespace roadsum
