// The order in which a module's debug information is looked for, and each source's checks.
#include <exception>

#include "crash/common/text_lists.h"
#include "crash/debuginfo/container.h"
#include "crash/debuginfo/jdbg_reader.h"
#include "crash/debuginfo/map_file.h"
#include "crash/debuginfo/map_text_parser.h"
#include "crash/debuginfo/packed_debug_stream.h"
#include "crash/debuginfo/td32_reader.h"
#include "crash/process/pe_headers.h"

namespace roadsum {

namespace {

constexpr std::string_view kResourceType = "NOX", kResourceName = "EXCEPT", kSettingsResource = "TNOXEXCEPT";

}  // namespace

class MapFileLoader {
public:
    MapFileLoader(const MapFileSources& sources, TMapFile& out) : s_(sources), m_(out) {}

    void load() {
        m_.ModulePath = m_.ReportedPath = s_.module_path;
        if (s_.image) headers_ = read_pe_headers(*s_.image);
        if (headers_) {
            layout_ = module_layout(*headers_, s_.image->base());
        } else {
            layout_.CodeStart = s_.code_start;
        }
        m_.set_layout(layout_);
        if (!s_.side_file.empty()) {
            from_named_side_file();
            return;
        }
        if (from_resource() || (!s_.side_files_only && from_td32())) return;
        if (!from_map() && !from_nox()) from_jdbg();
    }

private:
    bool take_stream(const std::string& stream, bool minimal) {
        DebugTables t;
        return read_packed_debug_stream(stream, minimal, layout_.CodeStart, t) && take(std::move(t));
    }

    bool take(DebugTables t) {
        if (t.empty()) return false;
        m_.Assign(std::move(t));
        m_.Loaded = true;
        return true;
    }

    std::string side_file(const char* extension) const {
        return s_.side_file.empty() ? with_extension(s_.module_path, extension) : s_.side_file;
    }

    std::optional<std::string> read_side_file(const char* extension) const {
        if (!s_.files || (s_.module_path.empty() && s_.side_file.empty())) return std::nullopt;
        return s_.files->read_all(side_file(extension));
    }

    bool from_resource() {
        if (!headers_) return false;
        const auto data = find_resource(*s_.image, *headers_, kResourceType, kResourceName);
        if (!data) return false;
        const auto container = read_debug_container(*data);
        if (!container) return false;
        if (!container->minimal()) return take_stream(container->stream, false);
        // Minimal data in the module; the full data may lie beside it as a ".nox" file that
        // the settings identify.
        const std::string identification = min_debug_info_setting();
        if (!identification.empty()) {
            if (const auto nox = read_side_file(".nox")) {
                const auto full = read_debug_container(*nox);
                if (full && !full->minimal() && equal_ignoring_case(full->identification(), identification) &&
                    take_stream(full->stream, false))
                    return true;
            }
        }
        if (!take_stream(container->stream, true)) return false;
        m_.MinDebugInfo = identification;
        return true;
    }

    std::string min_debug_info_setting() const {
        if (!s_.min_debug_info) return {};
        const auto data = find_resource(*s_.image, *headers_, kRtRcdata, kSettingsResource);
        return data ? s_.min_debug_info(*data) : std::string();
    }

    void from_named_side_file() {
        const std::string& path = s_.side_file;
        const std::size_t dot = path.rfind('.');
        const std::string_view extension = dot == std::string::npos ? std::string_view() : std::string_view(path).substr(dot);
        if (equal_ignoring_case(extension, ".map"))
            from_map();
        else if (equal_ignoring_case(extension, ".nox"))
            from_nox();
        else if (equal_ignoring_case(extension, ".jdbg"))
            from_jdbg();
        else if (equal_ignoring_case(extension, ".tds"))
            from_td32();
    }

    bool from_td32() {
        if (headers_ && s_.files && s_.side_file.empty()) {
            for (const PeDebugEntry& e : read_debug_directory(*s_.image, *headers_)) {
                if (e.size < 8 || e.size > kMaxDebugFileSize) continue;
                const auto data = s_.files->read(s_.module_path, e.file_offset, e.size);
                DebugTables t;
                if (data && read_td32(*data, layout_, t) && take(std::move(t))) return true;
            }
        }
        const auto tds = read_side_file(".tds");
        if (!tds || !is_td32(*tds)) return false;
        // A ".tds" older (by days) than the ".map" belongs to an earlier build.
        const auto tds_time = s_.files->write_time(side_file(".tds"));
        const auto map_time = s_.files->write_time(side_file(".map"));
        if (tds_time && map_time && tds_time->date < map_time->date) return false;
        DebugTables t;
        return read_td32(*tds, layout_, t) && take(std::move(t));
    }

    bool from_map() {
        const auto text = read_side_file(".map");
        if (!text) return false;
        DebugTables t;
        parse_map_text(*text, layout_, t);
        return take(std::move(t));
    }

    bool from_nox() {
        const auto data = read_side_file(".nox");
        if (!data) return false;
        const auto container = read_debug_container(*data);
        return container && take_stream(container->stream, container->minimal());
    }

    bool from_jdbg() {
        const auto data = read_side_file(".jdbg");
        DebugTables t;
        return data && read_jdbg(*data, layout_, t) && take(std::move(t));
    }

    const MapFileSources& s_;
    TMapFile& m_;
    std::optional<PeHeaders> headers_;
    ModuleLayout layout_;
};

TMapFile TMapFile::Create(const MapFileSources& sources) {
    TMapFile m;
    try {
        MapFileLoader(sources, m).load();
    } catch (const std::exception&) {
        // Whatever was found is not trusted; the module counts as one without debug data.
        TMapFile failed;
        failed.ModulePath = failed.ReportedPath = sources.module_path;
        return failed;
    }
    return m;
}

}  // namespace roadsum
