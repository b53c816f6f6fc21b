#include "crash/debuginfo/map_file_cache.h"

#include "crash/common/text_lists.h"

namespace roadsum {

std::shared_ptr<const TMapFile> MapFileCache::Get(const std::string& module_path, const Loader& load) {
    const std::optional<DosStamp> now = files_.write_time(module_path);
    std::lock_guard<std::mutex> lock(mutex_);
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        if (!equal_ignoring_case(entries_[i].path, module_path)) continue;
        if (now && now->date == entries_[i].time.date && now->time == entries_[i].time.time) return entries_[i].map;
        // The file changed: the last entry takes this one's place.
        entries_[i] = std::move(entries_.back());
        entries_.pop_back();
        break;
    }
    auto map = std::make_shared<const TMapFile>(load());
    // Without a file time the entry could never be checked, so it is not kept.
    if (map->Loaded && now) entries_.push_back({module_path, *now, map});
    return map;
}

std::size_t MapFileCache::Count() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return entries_.size();
}

void MapFileCache::Clear() {
    std::lock_guard<std::mutex> lock(mutex_);
    entries_.clear();
}

}  // namespace roadsum
