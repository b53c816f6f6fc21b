#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "crash/debuginfo/container.h"
#include "crash/debuginfo/packed_debug_stream.h"

namespace {

// A stream read in one mode: when it reads, its records could each be stored in it.
void read_stream(std::string_view stream, bool minimal) {
    roadsum::DebugTables t;
    if (!roadsum::read_packed_debug_stream(stream, minimal, 0x00401000, t)) return;
    // Every segment takes at least 9 bytes, every public and line at least one.
    if (t.Segments.size() * 9 + t.Publics.size() + t.Lines.size() > stream.size()) std::abort();
    // Written again and read back, the stream keeps its records.
    roadsum::DebugTables again;
    if (!minimal && !roadsum::read_packed_debug_stream(roadsum::write_packed_debug_stream(t, false, 0x00401000), false,
                                                       0x00401000, again))
        std::abort();
    if (!minimal && (again.Segments.size() != t.Segments.size() || again.Publics.size() != t.Publics.size() ||
                     again.Lines.size() != t.Lines.size()))
        std::abort();
}

}  // namespace

// Input: a debug-information container, or (reached more easily) a packed stream itself.
// Neither reader may crash or read past its input; a container is only accepted with a body
// whose crc holds, and a stream only when its counts are satisfied.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    if (const auto container = roadsum::read_debug_container(input)) {
        if (container->total_length != size || container->stream.empty()) std::abort();
        read_stream(container->stream, container->minimal());
    }
    read_stream(input, false);
    read_stream(input, true);
    return 0;
}
