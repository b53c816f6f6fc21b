// The binary debug format of ".jdbg" files.
//
// Layout read: a 34-byte header (signature "JDBG", version byte, then int32 offsets of the
// unit, source-name, symbol, line-number and word sections, int32 word offset of the module
// name, int32 checksum, checksum-valid byte); offsets count from the start of the file.
// Sections hold lists of values, each value in 7-bit groups, low group first, the top bit
// marking that another group follows. Every value is the difference to the one before in
// its column; the difference 0x7FFFFFFF ends a list. Units: address, name; source names:
// address, name; symbols: address, prefix name, name; line numbers: address, line.
// Addresses count from the code start; names are offsets into the word section (0: none),
// where a word is either the byte 1 and zero-terminated characters, or six-bit characters
// (0 end, 1-26 'a'-'z', 27-52 'A'-'Z', 53-62 '0'-'9', 63 '_') packed four into three bytes,
// highest bits first, optionally after the byte 2 that stands for a leading "@@".
#pragma once

#include <string_view>

#include "crash/debuginfo/map_file_types.h"

namespace roadsum {

inline constexpr std::string_view kJdbgSignature = "JDBG";

// Segments (one per unit, up to the next unit or the end of the code), publics ("Prefix.Name",
// or "Name" when the prefix is the unit) and lines. False when the data is broken or empty.
bool read_jdbg(std::string_view data, const ModuleLayout& layout, DebugTables& out);

}  // namespace roadsum
