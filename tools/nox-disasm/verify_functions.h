// The decoder's self-check over compiled code: decoding linearly from each function symbol of an
// image must land exactly on the next function symbol, with no undecodable byte on the way.
#pragma once

#include <cstdint>
#include <string>

#include "pe_image.h"

namespace roadsum {

struct FunctionCheck {
    std::uint32_t functions = 0;
    std::uint32_t instructions = 0;
    std::uint32_t bytes = 0;
    std::uint32_t misaligned = 0;    // decoding ran past the next function's start
    std::uint32_t undecodable = 0;   // functions with bytes that did not decode
    std::string report;              // summary line and the first faults
    bool passed() const { return functions > 0 && misaligned == 0 && undecodable == 0; }
};

FunctionCheck verify_functions(const PeImage& image);

}  // namespace roadsum
