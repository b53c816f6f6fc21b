// The component stream reader, the settings reader and the text form on any input. An input
// in the text form (the readable seeds) is compiled first, so both readers see it.
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "crash/settings/component_stream.h"
#include "crash/settings/component_stream_text.h"
#include "crash/settings/settings_stream.h"

namespace {

void check(bool condition) {
    if (!condition) __builtin_trap();
}

void read_binary(std::span<const std::uint8_t> data) {
    roadsum::StreamReadResult read = roadsum::read_component_stream(data);
    roadsum::read_settings_stream(data, roadsum::Windows1252CodePage());
    if (read.stop == roadsum::StreamStop::BadSignature) return;

    // What was read, complete or not, writes and reads back unchanged, in binary and as text.
    std::vector<std::uint8_t> written;
    try {
        written = roadsum::write_component_stream(read.root);
    } catch (const roadsum::StreamWriteError&) {
        return;  // a class name the format can read but not write back (240 bytes or more)
    }
    roadsum::StreamReadResult again = roadsum::read_component_stream(written);
    check(again.complete());
    check(again.root == read.root);
    check(roadsum::component_stream_from_text(roadsum::component_stream_to_text(read.root)) == read.root);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    if (text.starts_with("object") || text.starts_with("#")) {
        try {
            std::vector<std::uint8_t> stream =
                roadsum::write_component_stream(roadsum::component_stream_from_text(text));
            read_binary(stream);
        } catch (const roadsum::StreamTextError&) {
        } catch (const roadsum::StreamWriteError&) {
        }
        return 0;
    }
    read_binary({data, size});
    return 0;
}
