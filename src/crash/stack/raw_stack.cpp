#include "crash/stack/raw_stack.h"

#include <algorithm>

#include "crash/common/little_endian.h"
#include "crash/stack/frame_chain.h"
#include "crash/stack/return_address.h"

namespace roadsum {

namespace {

// Larger than any thread's stack reservation that a 32-bit process can sensibly have.
constexpr std::uint32_t kMaxStackRange = 256u << 20;

}  // namespace

bool ReadStackRange(const MemoryReader& memory, std::uint32_t low, std::uint32_t high, std::vector<std::uint32_t>& out) {
    out.clear();
    if (low >= high || high - low < 4 || high - low > kMaxStackRange) return false;
    const std::uint32_t count = (high - low) / 4, first = high - 4 * count;
    std::vector<std::uint8_t> bytes(std::size_t{count} * 4);
    if (!memory.try_read(first, bytes.data(), static_cast<std::uint32_t>(bytes.size()))) return false;
    out.resize(count);
    for (std::uint32_t i = 0; i < count; ++i) out[i] = get_le32(&bytes[4 * i]);
    return true;
}

int CollectRawStack(const MemoryReader& memory, std::uint32_t frame, std::uint32_t high, std::uint32_t low,
                    bool is_exception, std::uint32_t exception_address, std::vector<TDAPreStackItem>& out) noexcept {
    try {
        out.assign(1, TDAPreStackItem{});
        std::vector<std::uint32_t> stack;
        if (!ReadStackRange(memory, low, high, stack)) return 0;
        const std::vector<std::uint32_t> slots = FrameSlots(memory, frame, low, high);
        const std::uint32_t first = high - 4 * static_cast<std::uint32_t>(stack.size());
        for (std::size_t i = stack.size(); i-- > 0;) {
            const std::uint32_t slot = first + 4 * static_cast<std::uint32_t>(i), value = stack[i];
            if (is_exception && value == exception_address) break;
            if (value <= 7 || !LooksLikeReturnAddress(memory, value)) continue;
            const bool sure = std::binary_search(slots.begin(), slots.end(), slot);
            TDAPreStackItem entry;
            entry.Sure = sure ? 1 : 0;
            entry.set_address(value);
            out.push_back(entry);
            if (sure && i > 0) --i;  // the saved frame pointer below the return slot
        }
        return static_cast<int>(out.size() - 1);
    } catch (...) {
        out.clear();
        return 0;
    }
}

}  // namespace roadsum
