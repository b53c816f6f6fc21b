// The text form of a user region (StringButtonRegion): the system's region data, a header of
// 32 bytes (its size 32, type 1 for rectangles, the rectangle count, the buffer size and the
// bounding box) and then the rectangles, 16 bytes each (left, top, right, bottom), all 32-bit
// little-endian, written two characters per byte. Character pair i gives byte i: "!" and c
// give the code of c minus 128 (modulo 256); any other character gives its own code and the
// character after it is ignored.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "controls/shapebutton/contours.h"

namespace roadsum {

// The bytes of the text; an odd last character is ignored.
std::vector<std::uint8_t> DecodeRegionString(std::string_view text);

// The text of bytes: printable characters stand for themselves, written twice; all others
// are escaped with "!".
std::string EncodeRegionString(std::span<const std::uint8_t> bytes);

// The rectangles of region data, or nothing when the header is not a rectangle header of 32
// bytes or promises more rectangles than the data holds. Rectangles that cover nothing are
// dropped.
std::optional<std::vector<Rect>> ParseRegionData(std::span<const std::uint8_t> data);

// Region data for rectangles, as the system writes it.
std::vector<std::uint8_t> RegionData(std::span<const Rect> rectangles);

}  // namespace roadsum
