// Files held in memory, with last-write times that the tests set. Names ignore case, as on
// Windows.
#pragma once

#include <algorithm>
#include <cctype>
#include <map>
#include <string>

#include "crash/debuginfo/debug_files.h"
#include "crash/debuginfo/map_file.h"
#include "crash/process/pe_headers.h"
#include "crash/settings/settings_stream.h"

namespace roadsum::testing {

class FakeDebugFiles final : public DebugFileAccess {
public:
    void add(const std::string& path, std::string data, std::uint16_t date = 0x5000) {
        files_[path] = {std::move(data), {0, date}};
    }
    void touch(const std::string& path, std::uint16_t date, std::uint16_t time = 0) {
        files_[path].time = {time, date};
    }
    void remove(const std::string& path) { files_.erase(path); }
    mutable int reads = 0;

    std::optional<std::string> read(const std::string& path, std::uint64_t offset, std::uint32_t count) const override {
        ++reads;
        auto it = files_.find(path);
        if (it == files_.end() || offset > it->second.data.size() || count > it->second.data.size() - offset)
            return std::nullopt;
        return it->second.data.substr(offset, count);
    }
    std::optional<std::string> read_all(const std::string& path) const override {
        auto it = files_.find(path);
        return it == files_.end() ? std::nullopt : read(path, 0, static_cast<std::uint32_t>(it->second.data.size()));
    }
    std::optional<DosStamp> write_time(const std::string& path) const override {
        auto it = files_.find(path);
        if (it == files_.end()) return std::nullopt;
        return it->second.time;
    }

private:
    struct File {
        std::string data;
        DosStamp time;
    };
    struct IgnoringCase {
        bool operator()(const std::string& a, const std::string& b) const {
            return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
                return std::tolower(static_cast<unsigned char>(x)) < std::tolower(static_cast<unsigned char>(y));
            });
        }
    };
    std::map<std::string, File, IgnoringCase> files_;
};

// The debug information of the module image at path, looked for as the reporter looks.
inline TMapFile load_module(const std::string& image_bytes, const std::string& path, const DebugFileAccess& files,
                            bool side_files_only = false) {
    const PeFileImage image(image_bytes);
    MapFileSources s;
    s.image = &image;
    s.module_path = path;
    s.files = &files;
    s.side_files_only = side_files_only;
    s.min_debug_info = min_debug_info_of;
    return TMapFile::Create(s);
}

}  // namespace roadsum::testing
