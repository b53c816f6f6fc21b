// The arithmetic of the progress window: areas with 64-bit start weights and the bar
// position over all of them, (start + weight x position / 1000) x 1000 / total.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace roadsum {

inline constexpr int kProgressRange = 1000;
inline constexpr const char* kPleaseWaitText = "Please wait...";

struct ProgressArea {
    std::int64_t start = 0;
    std::int64_t weight = 0;
    std::string text;
};

class ProgressAreas {
public:
    void add(std::optional<std::string> text, std::int64_t weight);
    void clear() { areas_.clear(); }
    std::size_t count() const { return areas_.size(); }
    bool empty() const { return areas_.empty(); }
    const ProgressArea& operator[](std::size_t i) const { return areas_[i]; }
    std::int64_t total() const { return areas_.empty() ? 0 : areas_.back().start + areas_.back().weight; }

    // 0 to 1000 for the position within area `current`; 0 without weight. Any 64-bit weights:
    // exact while the products fit 64 bits, within one step beyond.
    int overall(std::size_t current, int position) const;

private:
    std::vector<ProgressArea> areas_;
};

// floor(a * b / c) for 0 <= a <= c, without overflowing 64 bits (exact while r * b fits,
// r = a mod c; else through long double).
std::int64_t scale_down(std::int64_t a, std::int64_t b, std::int64_t c);

}  // namespace roadsum
