#include "crash/debuginfo/map_file_types.h"

#include <algorithm>
#include <utility>

namespace roadsum {

void sort_segments(std::vector<TMfSegment>& segments) {
    std::stable_sort(segments.begin(), segments.end(), [](const TMfSegment& a, const TMfSegment& b) {
        return a.IsCode != b.IsCode ? a.IsCode : a.Start < b.Start;
    });
}

const TMfSegment* find_segment(const std::vector<TMfSegment>& segments, std::uint32_t address, bool code) {
    auto it = std::upper_bound(segments.begin(), segments.end(), std::make_pair(code, address),
                               [](const std::pair<bool, std::uint32_t>& key, const TMfSegment& s) {
                                   return key.first != s.IsCode ? key.first : key.second < s.Start;
                               });
    if (it == segments.begin()) return nullptr;
    --it;
    return it->IsCode == code && address - it->Start < it->Length ? &*it : nullptr;
}

void sort_debug_tables(DebugTables& t, bool merge_segments) {
    sort_segments(t.Segments);
    if (merge_segments && !t.Segments.empty()) {
        std::vector<TMfSegment> merged;
        merged.push_back(std::move(t.Segments[0]));
        for (std::size_t i = 1; i < t.Segments.size(); ++i) {
            TMfSegment& last = merged.back();
            TMfSegment& next = t.Segments[i];
            const std::uint64_t last_end = std::uint64_t{last.Start} + last.Length;
            if (next.IsCode == last.IsCode && next.Name == last.Name && next.Start <= last_end) {
                const std::uint64_t end = std::max(last_end, std::uint64_t{next.Start} + next.Length);
                last.Length = static_cast<std::uint32_t>(std::min<std::uint64_t>(end - last.Start, 0xFFFFFFFFu));
            } else {
                merged.push_back(std::move(next));
            }
        }
        t.Segments = std::move(merged);
    }
    std::stable_sort(t.Publics.begin(), t.Publics.end(),
                     [](const TMfPublic& a, const TMfPublic& b) { return a.Address < b.Address; });
    std::stable_sort(t.Lines.begin(), t.Lines.end(),
                     [](const TMfLine& a, const TMfLine& b) { return a.Address < b.Address; });
}

}  // namespace roadsum
