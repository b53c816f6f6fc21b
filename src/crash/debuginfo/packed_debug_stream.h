// The packed debug-information stream, the content of the resource container and of ".nox"
// files:
//   segment count (int32); per segment: start relative to the code start (int32), length
//     (int32), then the name as a packed string, or in minimal mode one HasLines byte instead
//     (the name is then "segment%" and the index);
//   public count (int32); per public: the name as a packed string (none in minimal mode, the
//     name is then "public%" and the index); the first address relative to the code start
//     (int32), every further one as a packed difference to the one before;
//   line count (int32); when positive: the first line (int32) and its address relative to the
//     code start (int32), then per further line packed differences of line and address;
//   when exactly 4 bytes remain: the entry point relative to the code start (int32).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "crash/debuginfo/map_file_types.h"

namespace roadsum {

// False when the stream ends before its counts are satisfied or a count is negative; the
// tables are then incomplete and must not be used. Every segment and public read is code.
bool read_packed_debug_stream(std::string_view stream, bool minimal, std::uint32_t code_start, DebugTables& out);

// The stream of the tables; publics and lines are written in address order. In minimal mode
// names and lines are left out and each segment says whether lines fall into it.
std::string write_packed_debug_stream(const DebugTables& tables, bool minimal, std::uint32_t code_start);

}  // namespace roadsum
