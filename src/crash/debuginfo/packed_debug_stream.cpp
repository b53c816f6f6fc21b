#include "crash/debuginfo/packed_debug_stream.h"

#include <algorithm>

#include "crash/debuginfo/mini_stream.h"

namespace roadsum {

namespace {

// A count read from the stream; negative counts mean a broken stream.
bool read_count(TMiniStream& s, std::int32_t& count) { return s.ReadInt32(count) && count >= 0; }

// Room for what the stream can hold at most, so a forged count cannot ask for gigabytes.
template <typename T>
void reserve_for(std::vector<T>& v, std::int32_t count, const TMiniStream& s) {
    v.reserve(static_cast<std::size_t>(std::min(count, s.Remaining())));
}

bool read_segments(TMiniStream& s, bool minimal, std::uint32_t code_start, DebugTables& out) {
    std::int32_t count = 0;
    if (!read_count(s, count)) return false;
    reserve_for(out.Segments, count, s);
    for (std::int32_t i = 0; i < count; ++i) {
        TMfSegment seg;
        std::int32_t start = 0, length = 0;
        if (!s.ReadInt32(start) || !s.ReadInt32(length)) return false;
        if (minimal) {
            if (!s.ReadByte(seg.HasLines)) return false;
            seg.Name = "segment%" + std::to_string(i);
        } else if (!s.ReadPackedString(seg.Name)) {
            return false;
        }
        seg.IsCode = seg.Used = true;
        seg.Start = code_start + static_cast<std::uint32_t>(start);
        seg.Length = static_cast<std::uint32_t>(length);
        out.Segments.push_back(std::move(seg));
    }
    return true;
}

bool read_publics(TMiniStream& s, bool minimal, std::uint32_t code_start, DebugTables& out) {
    std::int32_t count = 0;
    if (!read_count(s, count)) return false;
    reserve_for(out.Publics, count, s);
    std::uint32_t address = code_start;
    for (std::int32_t i = 0; i < count; ++i) {
        TMfPublic pub;
        if (minimal)
            pub.Name = "public%" + std::to_string(i);
        else if (!s.ReadPackedString(pub.Name))
            return false;
        std::int32_t step = 0;
        if (!(i == 0 ? s.ReadInt32(step) : s.ReadPackedInt(step))) return false;
        address += static_cast<std::uint32_t>(step);
        pub.Address = address;
        pub.IsCode = pub.Used = true;
        out.Publics.push_back(std::move(pub));
    }
    return true;
}

bool read_lines(TMiniStream& s, std::uint32_t code_start, DebugTables& out) {
    std::int32_t count = 0;
    if (!read_count(s, count)) return false;
    if (count == 0) return true;
    reserve_for(out.Lines, count, s);
    std::int32_t line = 0, relative = 0;
    if (!s.ReadInt32(line) || !s.ReadInt32(relative)) return false;
    std::uint32_t address = code_start + static_cast<std::uint32_t>(relative);
    out.Lines.push_back({line, address});
    for (std::int32_t i = 1; i < count; ++i) {
        std::int32_t line_step = 0, address_step = 0;
        if (!s.ReadPackedInt(line_step) || !s.ReadPackedInt(address_step)) return false;
        line = static_cast<std::int32_t>(static_cast<std::uint32_t>(line) + static_cast<std::uint32_t>(line_step));
        address += static_cast<std::uint32_t>(address_step);
        out.Lines.push_back({line, address});
    }
    return true;
}

std::int32_t relative_to(std::uint32_t address, std::uint32_t base) { return static_cast<std::int32_t>(address - base); }

bool segment_has_lines(const TMfSegment& seg, const std::vector<TMfLine>& sorted_lines) {
    auto it = std::lower_bound(sorted_lines.begin(), sorted_lines.end(), seg.Start,
                               [](const TMfLine& l, std::uint32_t a) { return l.Address < a; });
    return it != sorted_lines.end() && it->Address - seg.Start < seg.Length;
}

}  // namespace

bool read_packed_debug_stream(std::string_view stream, bool minimal, std::uint32_t code_start, DebugTables& out) {
    TMiniStream s(stream);
    if (s.Size() != static_cast<std::int64_t>(stream.size())) return false;
    if (!read_segments(s, minimal, code_start, out) || !read_publics(s, minimal, code_start, out) ||
        !read_lines(s, code_start, out))
        return false;
    std::int32_t entry = 0;
    if (s.Remaining() == 4 && s.ReadInt32(entry)) out.EntryAddress = code_start + static_cast<std::uint32_t>(entry);
    return true;
}

std::string write_packed_debug_stream(const DebugTables& tables, bool minimal, std::uint32_t code_start) {
    std::vector<TMfPublic> publics = tables.Publics;
    std::stable_sort(publics.begin(), publics.end(),
                     [](const TMfPublic& a, const TMfPublic& b) { return a.Address < b.Address; });
    std::vector<TMfLine> lines = tables.Lines;
    std::stable_sort(lines.begin(), lines.end(), [](const TMfLine& a, const TMfLine& b) { return a.Address < b.Address; });

    TMiniStream s;
    s.WriteInt32(static_cast<std::int32_t>(tables.Segments.size()));
    for (const TMfSegment& seg : tables.Segments) {
        s.WriteInt32(relative_to(seg.Start, code_start));
        s.WriteInt32(static_cast<std::int32_t>(seg.Length));
        if (minimal)
            s.WriteByte(segment_has_lines(seg, lines) ? 1 : 0);
        else
            s.WritePackedString(seg.Name);
    }
    s.WriteInt32(static_cast<std::int32_t>(publics.size()));
    std::uint32_t previous = code_start;
    for (std::size_t i = 0; i < publics.size(); ++i) {
        if (!minimal) s.WritePackedString(publics[i].Name);
        const std::int32_t step = relative_to(publics[i].Address, previous);
        if (i == 0)
            s.WriteInt32(step);
        else
            s.WritePackedInt(step);
        previous = publics[i].Address;
    }
    if (minimal) lines.clear();
    s.WriteInt32(static_cast<std::int32_t>(lines.size()));
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i == 0) {
            s.WriteInt32(lines[0].Line);
            s.WriteInt32(relative_to(lines[0].Address, code_start));
        } else {
            s.WritePackedInt(static_cast<std::int32_t>(static_cast<std::uint32_t>(lines[i].Line) -
                                                       static_cast<std::uint32_t>(lines[i - 1].Line)));
            s.WritePackedInt(relative_to(lines[i].Address, lines[i - 1].Address));
        }
    }
    if (tables.EntryAddress) s.WriteInt32(relative_to(tables.EntryAddress, code_start));
    return std::string(s.Data());
}

}  // namespace roadsum
