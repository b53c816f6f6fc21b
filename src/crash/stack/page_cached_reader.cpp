#include "crash/stack/page_cached_reader.h"

#include <algorithm>
#include <cstring>

namespace roadsum {

namespace {

constexpr std::uint32_t kLargeRead = 4 * PageCachedReader::kPageSize;

}  // namespace

const PageCachedReader::Page* PageCachedReader::PageAt(std::uint32_t base) const {
    if (const auto it = pages_.find(base); it != pages_.end()) return it->second.get();
    // A full cache starts again: the pages of one trace are few, and their order does not
    // matter enough for anything cleverer.
    if (pages_.size() >= max_pages_) pages_.clear();
    auto page = std::make_unique<Page>();
    if (!inner_.try_read(base, page->data(), kPageSize)) page.reset();
    return pages_.emplace(base, std::move(page)).first->second.get();
}

bool PageCachedReader::try_read(std::uint32_t address, void* buffer, std::uint32_t count) const {
    if (address == 0) return false;
    if (count == 0) return true;
    if (count > 0xFFFFFFFFu - address + 1) return false;
    // Whole stacks are read once; keeping them would only push the code pages out.
    if (count > kLargeRead) return inner_.try_read(address, buffer, count);
    auto* out = static_cast<std::uint8_t*>(buffer);
    for (std::uint32_t done = 0; done < count;) {
        const std::uint32_t at = address + done, base = at & ~(kPageSize - 1), offset = at - base;
        const std::uint32_t n = std::min(count - done, kPageSize - offset);
        const Page* page = base ? PageAt(base) : nullptr;
        // A page that is not readable as a whole may still hold the bytes asked for.
        if (page)
            std::memcpy(out + done, page->data() + offset, n);
        else if (!inner_.try_read(at, out + done, n))
            return false;
        done += n;
    }
    return true;
}

}  // namespace roadsum
