#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "crash/archive/compressed_string.h"
#include "crash/archive/crc32.h"
#include "crash/archive/deflate.h"
#include "crash/common/little_endian.h"

// Input: a compressed-string container (length, producer word, crc, raw deflate stream); the
// same bytes are also inflated as a raw stream of their own. Nothing may crash or read past
// the input, the container reader may only return data that matches its header, and a raw
// stream that decodes must decode the same way into a buffer of exactly its size.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text = roadsum::uncompress_string({reinterpret_cast<const char*>(data), size});
    if (!text.empty() &&
        (size < 13 || roadsum::get_le32(data) != text.size() ||
         roadsum::crc32(roadsum::bytes_of(text)) != roadsum::get_le32(data + 8)))
        std::abort();

    const roadsum::ByteView stream(data, size);
    std::vector<std::uint8_t> out(1 << 16);
    const std::int64_t n = roadsum::uncompress_raw(stream, out);
    if (n < -1 || n > static_cast<std::int64_t>(out.size())) std::abort();
    if (n >= 0) {
        std::vector<std::uint8_t> exact(static_cast<std::size_t>(n));
        if (roadsum::uncompress_raw(stream, exact) != n || !std::equal(exact.begin(), exact.end(), out.begin()))
            std::abort();
    }
    return 0;
}
