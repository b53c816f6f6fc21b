// Phases 2 and 5: a block of items that repeats the block right below it (A B A B A B) is a
// recursion and is folded to one block.
#include <unordered_map>

#include "crash/stack/stack_tracer_impl.h"

namespace roadsum {

void StackTracer::RemoveRecursion(bool invalidate) {
    Progress(invalidate ? 25 : 1000);
    for (bool changed = true; changed;) {
        changed = false;
        // Positions among the visible items; hiding a block above position p leaves everything
        // below it as it was, so these stay true while p walks down.
        std::vector<std::size_t> visible;
        for (std::size_t i = 0; i < items_.size(); ++i)
            if (!items_[i].Hidden) visible.push_back(i);
        std::vector<std::int64_t> previous_same(visible.size(), -1);
        std::unordered_map<std::uint32_t, std::size_t> last_at;
        for (std::size_t p = 0; p < visible.size(); ++p) {
            const std::uint32_t address = items_[visible[p]].Address;
            if (const auto it = last_at.find(address); it != last_at.end()) previous_same[p] = static_cast<std::int64_t>(it->second);
            last_at[address] = p;
        }
        const auto address_at = [&](std::size_t p) { return items_[visible[p]].Address; };

        for (std::size_t p = visible.size(); p-- > 0;) {
            const std::size_t i = visible[p];
            if (i < 1 || previous_same[p] < 0 || items_[i].Top) continue;
            const auto q = static_cast<std::size_t>(previous_same[p]);
            const std::size_t n = p - q - 1;
            if (visible[q] < n || q < n) continue;
            bool repeated = true;
            for (std::size_t t = 1; t <= n && repeated; ++t) repeated = address_at(p - t) == address_at(q - t);
            if (!repeated) continue;
            for (std::size_t t = 0; t <= n; ++t) {
                const std::size_t hidden = visible[p - t];
                if (invalidate) {
                    items_[hidden].Sure = false;
                    Invalidate(hidden);
                } else {
                    items_[hidden].Hidden = true;
                }
            }
            changed = true;
            p = q + 1;  // on with the lower copy
        }
    }
}

}  // namespace roadsum
