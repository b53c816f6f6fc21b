// TD32 debug information, inside a module (through its debug directory) or in a ".tds" file.
//
// Layout read (all little-endian; offsets count from the start of the data):
//   "FB09" or "FB0A", int32 offset of the subsection directory;
//   directory: uint16 header size, uint16 entry size, uint32 entry count, uint32 next
//     directory, uint32 flags; entries: uint16 subsection type, uint16 module index,
//     uint32 offset, uint32 size.
//   0x130 names: uint32 count, then per name a length byte, the characters and a zero byte;
//     names are numbered from 1.
//   0x120 module: uint16 overlay, uint16 library, uint16 segment count, uint16 style,
//     uint32 name index, uint32 time stamp, 3 reserved uint32; per segment uint16 segment,
//     uint16 flags, uint32 offset, uint32 size.
//   0x127 source module: uint16 file count, uint16 segment count, uint32 offsets of the
//     files (from the subsection), start/end pairs and uint16 numbers of the segments; a file:
//     uint16 segment count, uint32 name index, uint32 offsets of its line blocks, start/end
//     pairs; a line block: uint16 segment, uint16 pair count, uint32 offsets, uint16 lines.
//   0x129 global symbols (after a 16-byte hash header) or 0x125 aligned symbols (after a
//     4-byte signature): records of uint16 length (what follows it), uint16 type, data.
//     0x0204/0x0205 procedures: offset at 24, segment at 28, name index at 36 of the data;
//     0x0201/0x0202/0x0203 data and publics: offset at 0, segment at 4, name index at 8.
#pragma once

#include <string_view>

#include "crash/debuginfo/map_file_types.h"

namespace roadsum {

bool is_td32(std::string_view data);

// Segments (one per module and segment, named after the module's file without folder and
// extension), publics and lines. False when the data is not TD32 or holds nothing usable.
bool read_td32(std::string_view data, const ModuleLayout& layout, DebugTables& out);

}  // namespace roadsum
