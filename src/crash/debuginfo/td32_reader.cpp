#include "crash/debuginfo/td32_reader.h"

#include <vector>

#include "crash/common/bounded_bytes.h"
#include "crash/common/file_names.h"
#include "crash/debuginfo/segment_address.h"

namespace roadsum {

namespace {

constexpr std::uint16_t kModule = 0x120, kAlignSymbols = 0x125, kSourceModule = 0x127, kGlobalSymbols = 0x129,
                        kNames = 0x130;
constexpr std::uint16_t kLocalData = 0x0201, kGlobalData = 0x0202, kPublic = 0x0203, kLocalProc = 0x0204,
                        kGlobalProc = 0x0205;
constexpr std::uint32_t kMaxEntries = 1u << 20;

struct Subsection {
    std::uint16_t type = 0;
    std::uint32_t offset = 0, size = 0;
};

std::string unit_of_module_name(std::string_view name) {
    name = file_name_of(name);
    const std::size_t dot = name.rfind('.');
    if (dot != std::string_view::npos && dot > 0) name = name.substr(0, dot);
    return std::string(name);
}

class Td32Reader {
public:
    Td32Reader(std::string_view data, const ModuleLayout& layout, DebugTables& out)
        : data_(data), layout_(layout), out_(out) {}

    bool read() {
        if (!read_directory()) return false;
        for (const Subsection& s : subsections_)
            if (s.type == kNames) read_names(s);
        for (const Subsection& s : subsections_) {
            if (s.type == kModule) read_module(s);
            if (s.type == kSourceModule) read_source_module(s);
        }
        bool global = false;
        for (const Subsection& s : subsections_)
            if (s.type == kGlobalSymbols) {
                read_symbols(s.offset + 16, s.offset + s.size);
                global = true;
            }
        if (!global)
            for (const Subsection& s : subsections_)
                if (s.type == kAlignSymbols) read_symbols(s.offset + 4, s.offset + s.size);
        return !out_.empty();
    }

private:
    bool read_directory() {
        std::uint32_t dir = 0, count = 0;
        std::uint16_t header_size = 0, entry_size = 0;
        if (!data_.u32(4, dir) || !data_.u16(dir, header_size) || !data_.u16(dir + 2, entry_size) ||
            !data_.u32(dir + 4, count) || entry_size < 12 || count > kMaxEntries)
            return false;
        for (std::uint32_t i = 0; i < count; ++i) {
            const std::uint64_t e = std::uint64_t{dir} + header_size + std::uint64_t{entry_size} * i;
            Subsection s;
            if (!data_.u16(e, s.type) || !data_.u32(e + 4, s.offset) || !data_.u32(e + 8, s.size)) return false;
            if (data_.has(s.offset, s.size)) subsections_.push_back(s);
        }
        return true;
    }

    void read_names(const Subsection& s) {
        std::uint32_t count = 0;
        if (!data_.u32(s.offset, count)) return;
        std::uint64_t at = s.offset + 4;
        const std::uint64_t end = std::uint64_t{s.offset} + s.size;
        names_.assign(1, {});
        for (std::uint32_t i = 0; i < count && at < end; ++i) {
            std::uint8_t length = 0;
            if (!data_.u8(at, length) || !data_.has(at + 1, length)) return;
            names_.emplace_back(data_.slice(at + 1, length));
            at += 2 + length;
        }
    }

    std::string name(std::uint32_t index) const { return index < names_.size() ? names_[index] : std::string(); }

    void read_module(const Subsection& s) {
        std::uint16_t segments = 0;
        std::uint32_t name_index = 0;
        if (!data_.u16(s.offset + 4, segments) || !data_.u32(s.offset + 8, name_index)) return;
        const std::string unit = unit_of_module_name(name(name_index));
        for (std::uint32_t i = 0; i < segments; ++i) {
            const std::uint64_t e = std::uint64_t{s.offset} + 28 + 12 * i;
            std::uint16_t segment = 0;
            std::uint32_t offset = 0, size = 0;
            if (!data_.u16(e, segment) || !data_.u32(e + 4, offset) || !data_.u32(e + 8, size)) return;
            const auto at = resolve_segment_address(layout_, segment, offset);
            if (!at) continue;
            TMfSegment seg;
            seg.IsCode = at->code;
            seg.Used = true;
            seg.Start = at->address;
            seg.Length = size;
            seg.Name = unit;
            out_.Segments.push_back(std::move(seg));
        }
    }

    void read_source_module(const Subsection& s) {
        std::uint16_t files = 0;
        if (!data_.u16(s.offset, files)) return;
        for (std::uint32_t f = 0; f < files; ++f) {
            std::uint32_t file_offset = 0;
            std::uint16_t blocks = 0;
            if (!data_.u32(s.offset + 4 + 4 * std::uint64_t{f}, file_offset) ||
                !data_.u16(std::uint64_t{s.offset} + file_offset, blocks))
                return;
            for (std::uint32_t b = 0; b < blocks; ++b) {
                std::uint32_t block_offset = 0;
                if (!data_.u32(std::uint64_t{s.offset} + file_offset + 6 + 4 * std::uint64_t{b}, block_offset)) return;
                read_line_block(std::uint64_t{s.offset} + block_offset);
            }
        }
    }

    void read_line_block(std::uint64_t at) {
        std::uint16_t segment = 0, pairs = 0;
        if (!data_.u16(at, segment) || !data_.u16(at + 2, pairs) || !data_.has(at + 4, std::uint64_t{pairs} * 6)) return;
        for (std::uint32_t i = 0; i < pairs; ++i) {
            std::uint32_t offset = 0;
            std::uint16_t line = 0;
            data_.u32(at + 4 + 4 * std::uint64_t{i}, offset);
            data_.u16(at + 4 + 4 * std::uint64_t{pairs} + 2 * std::uint64_t{i}, line);
            if (const auto where = resolve_segment_address(layout_, segment, offset))
                out_.Lines.push_back({line, where->address});
        }
    }

    void read_symbols(std::uint64_t at, std::uint64_t end) {
        while (at + 4 <= end) {
            std::uint16_t length = 0, type = 0;
            if (!data_.u16(at, length) || length < 2 || !data_.u16(at + 2, type) || at + 2 + length > end) return;
            const std::uint64_t d = at + 4;
            std::uint32_t offset = 0, name_index = 0;
            std::uint16_t segment = 0;
            bool symbol = false;
            if (type == kLocalProc || type == kGlobalProc)
                symbol = length >= 42 && data_.u32(d + 24, offset) && data_.u16(d + 28, segment) &&
                         data_.u32(d + 36, name_index);
            else if (type == kLocalData || type == kGlobalData || type == kPublic)
                symbol = length >= 14 && data_.u32(d, offset) && data_.u16(d + 4, segment) && data_.u32(d + 8, name_index);
            if (symbol) add_public(segment, offset, name(name_index));
            at += 2 + std::uint64_t{length};
        }
    }

    void add_public(std::uint16_t segment, std::uint32_t offset, std::string name) {
        const auto at = resolve_segment_address(layout_, segment, offset);
        if (!at || name.empty()) return;
        TMfPublic pub;
        pub.IsCode = at->code;
        pub.Used = true;
        pub.Name = std::move(name);
        pub.Address = at->address;
        out_.Publics.push_back(std::move(pub));
    }

    BoundedBytes data_;
    const ModuleLayout& layout_;
    DebugTables& out_;
    std::vector<Subsection> subsections_;
    std::vector<std::string> names_;
};

}  // namespace

bool is_td32(std::string_view data) {
    return data.size() >= 8 && (data.substr(0, 4) == "FB09" || data.substr(0, 4) == "FB0A");
}

bool read_td32(std::string_view data, const ModuleLayout& layout, DebugTables& out) {
    if (!is_td32(data)) return false;
    if (!Td32Reader(data, layout, out).read()) return false;
    sort_debug_tables(out, true);
    return true;
}

}  // namespace roadsum
