#include "crash/stack/stack_trace_types.h"

#include <algorithm>
#include <cstring>

#include "crash/common/little_endian.h"

namespace roadsum {

std::size_t PreparedStackRef::count() const {
    if (!data || size < 4) return 0;
    const auto stored = static_cast<std::int32_t>(get_le32(data));
    if (stored <= 0) return 0;
    return std::min(static_cast<std::size_t>(stored), (size - 4) / sizeof(TDAPreStackItem));
}

TDAPreStackItem PreparedStackRef::entry(std::size_t index) const {
    TDAPreStackItem item;
    std::memcpy(&item, data + 4 + index * sizeof(TDAPreStackItem), sizeof item);
    return item;
}

PreparedStackRef PrepareStack(std::vector<TDAPreStackItem>& collected) {
    if (collected.empty()) return {};
    collected[0].set_address(static_cast<std::uint32_t>(collected.size() - 1));
    return {collected[0].Address, collected.size() * sizeof(TDAPreStackItem) - 1};
}

}  // namespace roadsum
