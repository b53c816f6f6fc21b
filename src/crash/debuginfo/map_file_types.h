// The records of a module's debug information: segments (one per unit), public symbols and
// line numbers, all at absolute addresses. Every reader (packed stream, text map, TD32,
// ".jdbg") produces them in this form.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "crash/process/module_layout.h"

namespace roadsum {

struct TMfSegment {
    bool IsCode = false;
    bool Used = false;
    std::uint32_t Start = 0;
    std::uint32_t Length = 0;
    std::string Name;  // the unit
    std::uint8_t HasLines = 0;  // minimal data only: the full data has lines for this unit
};

struct TMfPublic {
    bool IsCode = false;
    bool Used = false;
    std::string Name;  // as stored; Unmangle makes it readable
    std::uint32_t Address = 0;
};

struct TMfLine {
    std::int32_t Line = 0;
    std::uint32_t Address = 0;
};

// What one source of debug information yields.
struct DebugTables {
    std::vector<TMfSegment> Segments;
    std::vector<TMfPublic> Publics;
    std::vector<TMfLine> Lines;
    std::uint32_t EntryAddress = 0;  // 0 when unknown

    bool empty() const { return Segments.empty() && Publics.empty() && Lines.empty(); }
};

// The order lookups need: segments by kind (code first) and start, publics and lines by
// address. With merging, neighbouring segments of one unit that touch or overlap become one.
void sort_debug_tables(DebugTables& tables, bool merge_segments = false);

// Segments in that order: code first, each kind by start.
void sort_segments(std::vector<TMfSegment>& segments);
// Among segments in that order, the one of the kind with Start <= address < Start + Length;
// null when none.
const TMfSegment* find_segment(const std::vector<TMfSegment>& segments, std::uint32_t address, bool code);


}  // namespace roadsum
