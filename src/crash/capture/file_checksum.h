// The start-up check of the program file: the header's checksum field against the sum of the
// file, so that a file damaged on disk or in transfer is told before it runs.
#pragma once

#include <string_view>

namespace roadsum {

enum class TFileCheck {
    Matches,
    Mismatch,
    NoChecksum,  // the field is 0: the file asks for no check
    NotAnImage,  // no PE header where the file says: cannot be checked
    Unreadable,  // the file could not be read: cannot be checked
};

// The 16-bit one's-complement sum of the file as little-endian words (the checksum field left
// out, an odd last byte added alone, carries folded back) plus the file's length, against the
// field in the optional header.
TFileCheck CheckImageChecksum(std::string_view file);

}  // namespace roadsum
