#include "map_text_writer.h"

#include <cstdio>

namespace roadsum {

namespace {

constexpr const char* kEol = "\r\n";

std::string format(const char* pattern, auto... values) {
    char buffer[512];
    const int n = std::snprintf(buffer, sizeof buffer, pattern, values...);
    return std::string(buffer, n > 0 ? static_cast<std::size_t>(std::min<int>(n, sizeof buffer - 1)) : 0);
}

const PeSectionHeader* section_named(const BuiltDebugInfo& info, const char* name) {
    for (const PeSectionHeader& s : info.headers.sections)
        if (s.name == name) return &s;
    return nullptr;
}

std::string segment_table(const BuiltDebugInfo& info) {
    std::string out = std::string(kEol) + " Start         Length     Name                   Class" + kEol;
    const std::uint32_t base = info.headers.image_base;
    out += format(" 0001:%08X %08XH .text                   CODE", info.layout.CodeStart,
                  info.layout.CodeEnd - info.layout.CodeStart) + kEol;
    if (const PeSectionHeader* data = section_named(info, ".data"))
        out += format(" 0002:%08X %08XH .data                   DATA", base + data->virtual_address, data->virtual_size) + kEol;
    return out + kEol + kEol;
}

std::string detailed_segments(const BuiltDebugInfo& info) {
    std::string out = std::string("Detailed map of segments") + kEol + kEol;
    for (const TMfSegment& s : info.tables.Segments)
        out += format(" 0001:%08X %08X C=CODE     S=.text    G=(none)   M=%-16s ACBP=A9", s.Start - info.layout.CodeStart,
                      s.Length, s.Name.c_str()) + kEol;
    return out + kEol + kEol;
}

// Each name behind the unit of its segment and a dot, as a linker's map shows them; the reader
// takes that prefix off again, so a name that begins like its unit keeps its beginning.
std::string publics(const BuiltDebugInfo& info) {
    std::string out = std::string("  Address         Publics by Value") + kEol + kEol;
    for (const TMfPublic& p : info.tables.Publics) {
        const TMfSegment* segment = find_segment(info.tables.Segments, p.Address, true);
        const std::string unit = segment && !segment->Name.empty() ? segment->Name + "." : "";
        out += format(" 0001:%08X       ", p.Address - info.layout.CodeStart) + unit + p.Name + kEol;
    }
    return out + kEol + kEol;
}

std::string line_numbers(const BuiltDebugInfo& info) {
    std::string out;
    for (const UnitLines& u : info.unit_lines) {
        if (u.lines.empty()) continue;
        out += "Line numbers for " + u.unit + "(" + u.source + ") segment .text" + kEol + kEol;
        for (std::size_t i = 0; i < u.lines.size(); ++i) {
            out += format(" %5d 0001:%08X", u.lines[i].Line, u.lines[i].Address - info.layout.CodeStart);
            if (i % 4 == 3 || i + 1 == u.lines.size()) out += kEol;
        }
        out += kEol;
    }
    return out;
}

}  // namespace

std::string write_map_text(const BuiltDebugInfo& info) {
    std::string out = segment_table(info) + detailed_segments(info) + publics(info) + line_numbers(info);
    if (info.tables.EntryAddress)
        out += format("Program entry point at 0001:%08X", info.tables.EntryAddress - info.layout.CodeStart) + kEol;
    return out;
}

}  // namespace roadsum
