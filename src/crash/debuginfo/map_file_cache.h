// The debug information of each module, loaded once and kept by module file name (ignoring
// case) with the file's last-write time; a module whose file changed since is read again.
// Only modules with valid debug information are kept.
#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "crash/debuginfo/map_file.h"

namespace roadsum {

class MapFileCache {
public:
    using Loader = std::function<TMapFile()>;

    explicit MapFileCache(const DebugFileAccess& files) : files_(files) {}
    MapFileCache(const MapFileCache&) = delete;
    MapFileCache& operator=(const MapFileCache&) = delete;

    // The module's debug information; load makes it when it is not cached or out of date.
    // Holders keep an object alive after the cache has dropped it.
    std::shared_ptr<const TMapFile> Get(const std::string& module_path, const Loader& load);

    std::size_t Count() const;
    void Clear();

private:
    struct Entry {
        std::string path;
        DosStamp time;
        std::shared_ptr<const TMapFile> map;
    };

    const DebugFileAccess& files_;
    mutable std::mutex mutex_;
    std::vector<Entry> entries_;
};

}  // namespace roadsum
