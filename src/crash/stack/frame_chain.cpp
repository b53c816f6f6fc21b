#include "crash/stack/frame_chain.h"

namespace roadsum {

std::vector<std::uint32_t> FrameSlots(const MemoryReader& memory, std::uint32_t frame, std::uint32_t low,
                                      std::uint32_t high) {
    std::vector<std::uint32_t> slots;
    slots.reserve(64);
    const auto add = [&](std::uint32_t slot) {
        if (slots.size() == slots.capacity()) slots.reserve(slots.capacity() * 2);
        slots.push_back(slot);
    };
    if (frame > 0xFFFFFFFBu) return slots;
    if (low < frame + 4 && frame + 4 < high) add(frame + 4);
    for (std::uint32_t f = frame;;) {
        std::uint32_t saved = 0;
        if (f + 4 >= high || !read_dword(memory, f, saved) || saved <= f || saved > 0xFFFFFFFBu) break;
        f = saved;
        if (f + 4 > low) add(f + 4);
    }
    return slots;
}

}  // namespace roadsum
