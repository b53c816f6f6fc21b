// Files written for check_pictures.py, which judges them with pngcheck, its own chunk reader
// and ImageMagick after the tests ran: the file, the source picture as raw RGB, and what the
// file must decode to.
#pragma once

#include <string>

#include "crash/common/pixel_image.h"

namespace roadsum::testing {

enum class Expect { grey, colour, bmp };

// Writes ROADSUM_PICTURE_DIR/NAME.png (or .bmp), NAME.rgb and NAME.json; false when a file
// could not be written. For colour, max_error bounds every channel of every pixel and
// mean_error their average.
bool save_for_checker(const std::string& name, const std::string& file_bytes, const PixelImage& source, Expect expect,
                      int max_error = 0, double mean_error = 0);

}  // namespace roadsum::testing
