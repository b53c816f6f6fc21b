// Small pictures kept as readable text in the repository and turned into bitmap files at
// build time.
//
// The text form:
//   ; comment                 (lines starting with ';' and blank lines are ignored)
//   pixmap WIDTH HEIGHT
//   C RRGGBB                  (one line per colour: a character and its colour in hex)
//   pixels
//   HEIGHT lines of WIDTH colour characters, top row first
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace roadsum {

struct Pixmap {
    int width = 0, height = 0;
    std::vector<std::uint32_t> pixels;  // 0xRRGGBB, top row first

    std::uint32_t at(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

struct PixmapError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Parses the text form; a fault names its line.
Pixmap parse_pixmap(const std::string& text);

// A Windows bitmap file: 24 bits per pixel, rows bottom-up, each padded to 4 bytes.
std::vector<std::uint8_t> bmp_file(const Pixmap& pixmap);

}  // namespace roadsum
