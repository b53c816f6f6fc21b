#include "crash/pages/progress_areas.h"

#include <algorithm>
#include <limits>

namespace roadsum {

void ProgressAreas::add(std::optional<std::string> text, std::int64_t weight) {
    weight = std::max<std::int64_t>(weight, 0);
    const std::int64_t start = total();
    // A total that would pass 63 bits stops growing: the bar only needs the proportions.
    if (weight > std::numeric_limits<std::int64_t>::max() - start) weight = std::numeric_limits<std::int64_t>::max() - start;
    std::string t = text ? std::move(*text) : (areas_.empty() ? std::string() : areas_.back().text);
    areas_.push_back({start, weight, std::move(t)});
}

std::int64_t scale_down(std::int64_t a, std::int64_t b, std::int64_t c) {
    if (c <= 0 || a <= 0 || b <= 0) return 0;
    // a = q c + r, so a b / c = q b + r b / c; r b still may not fit, then split b as well.
    const std::int64_t q = a / c, r = a % c;
    std::int64_t result = q * b;
    if (r <= std::numeric_limits<std::int64_t>::max() / b) return result + r * b / c;
    const long double rest = static_cast<long double>(r) * static_cast<long double>(b) / static_cast<long double>(c);
    return result + static_cast<std::int64_t>(rest);
}

int ProgressAreas::overall(std::size_t current, int position) const {
    const std::int64_t sum = total();
    if (current >= areas_.size() || sum <= 0) return current >= areas_.size() && sum > 0 ? kProgressRange : 0;
    position = std::clamp(position, 0, kProgressRange);
    const ProgressArea& area = areas_[current];
    const std::int64_t done = area.start + scale_down(position, area.weight, kProgressRange);
    return static_cast<int>(std::min<std::int64_t>(scale_down(done, kProgressRange, sum), kProgressRange));
}

}  // namespace roadsum
