// The code sections of 32-bit PE files, read into memory once, for the decoder benchmarks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace roadsum::bench {

struct CodeSection {
    std::uint32_t address = 0;  // where the section lies at the image's preferred base
    std::vector<std::uint8_t> bytes;
};

struct CodeSections {
    std::vector<CodeSection> sections;
    std::size_t bytes = 0;
    std::size_t files = 0;  // files that gave code
};

// The code sections of each file that reads as a 32-bit PE image; other files are skipped.
CodeSections read_code_sections(const std::vector<std::string>& paths);

}  // namespace roadsum::bench

namespace roadsum::bench {

// Decodes every section from its start to its end as a linear listing does: step(bytes, size,
// address) decodes one instruction and returns its length, 0 when it refuses the bytes, which
// are then passed over one at a time. Returns the number of steps.
template <typename Step>
std::int64_t sweep(const CodeSections& code, Step&& step) {
    std::int64_t steps = 0;
    for (const CodeSection& section : code.sections) {
        const std::size_t size = section.bytes.size();
        for (std::size_t at = 0; at < size; ++steps) {
            const std::size_t length =
                step(section.bytes.data() + at, size - at, section.address + static_cast<std::uint32_t>(at));
            at += length ? length : 1;
        }
    }
    return steps;
}

}  // namespace roadsum::bench
