// What a stack trace delivers (the resolved entries) and what the quick pre-collection hands
// to it (the prepared stack of candidate return addresses).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace roadsum {

// One printed line of a call stack.
struct TStackItem {
    std::uint32_t Address = 0;         // the code address shown
    std::uint32_t FunctionOffset = 0;  // Address minus the function start, when the start is known and below
    std::string Module;                // file name without path; "???" outside every known module
    std::string Unit;
    std::int32_t AbsoluteLine = 0;     // the absolute line when the line shown is relative, else 0
    std::int32_t DisplayLine = 0;      // the line shown; 0 when none is known
    std::string Function;
};

// Innermost entry first.
using TStackTrace = std::vector<TStackItem>;

// One entry of the prepared stack: the sure flag (the value sat in a frame-pointer return
// slot), then the candidate address, little-endian, five bytes in all.
struct TDAPreStackItem {
    std::uint8_t Sure = 0;
    std::uint8_t Address[4] = {};

    std::uint32_t address() const {
        return Address[0] | Address[1] << 8 | Address[2] << 16 | static_cast<std::uint32_t>(Address[3]) << 24;
    }
    void set_address(std::uint32_t value) {
        for (int i = 0; i < 4; ++i) Address[i] = static_cast<std::uint8_t>(value >> (8 * i));
    }
};
static_assert(sizeof(TDAPreStackItem) == 5, "the prepared stack is an array of packed 5-byte entries");

// The prepared stack as the tracer reads it: a signed 32-bit count followed by that many
// entries. The collector leaves its first entry free so that the count can be stored in that
// entry's address field; the stack then starts at that field. size bounds every read.
struct PreparedStackRef {
    const std::uint8_t* data = nullptr;
    std::size_t size = 0;

    bool empty() const { return data == nullptr; }
    // The count, limited to the entries that lie within size; 0 for a negative count.
    std::size_t count() const;
    TDAPreStackItem entry(std::size_t index) const;
};

// Stores the count of a collected array (the entries after the free first one) in the free
// entry and returns the stack that starts at that count. The array must stay alive and
// unchanged while the result is used.
PreparedStackRef PrepareStack(std::vector<TDAPreStackItem>& collected);

}  // namespace roadsum
