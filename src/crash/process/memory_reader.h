// Reading memory that may not be there. The analyser and the listing read code through this
// interface so that they run over a live process, an image file or a test buffer alike.
#pragma once

#include <cstddef>
#include <cstdint>

namespace roadsum {

class MemoryReader {
public:
    virtual ~MemoryReader() = default;
    // True only when all count bytes at address were read into buffer.
    virtual bool try_read(std::uint32_t address, void* buffer, std::uint32_t count) const = 0;
    // The readable range [begin, end) around address, where the reader knows it.
    virtual bool readable_range(std::uint32_t address, std::uint32_t& begin, std::uint32_t& end) const {
        (void)address, (void)begin, (void)end;
        return false;
    }
};

// Reads as many bytes as are readable from address on, at most max; returns the count. A read
// is all or nothing, so the readable length is found by halving.
std::uint32_t read_available(const MemoryReader& reader, std::uint32_t address, std::uint8_t* buffer,
                             std::uint32_t max);

// Little-endian dword at address; false when unreadable.
bool read_dword(const MemoryReader& reader, std::uint32_t address, std::uint32_t& value);

}  // namespace roadsum
