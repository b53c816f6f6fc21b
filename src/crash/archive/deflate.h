// Raw deflate streams (no zlib header or trailer) with a 32 KB window and memory level 8,
// through zlib. The one-shot routines serve data held in memory; the step-wise streams serve
// data that arrives in pieces, such as views of a mapped file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "crash/common/byte_view.h"

struct z_stream_s;

namespace roadsum {

// zlib's default level: the readers of this system accept any valid raw stream.
inline constexpr int kCompressionLevel = 6;

// A destination size that always holds the raw stream of `length` bytes (length × 11 / 10 + 12),
// or 0 when that size cannot be represented.
std::size_t compress_bound(std::size_t length);

// Deflates the whole source. Result: the length of the stream, or -1 when the destination is
// too small or zlib fails (a stream is never empty, so 0 is no valid length either).
std::int64_t compress_raw(ByteView source, MutableByteView destination, int level = kCompressionLevel);

// Inflates one whole stream; bytes after its end are ignored. Result: the decompressed length,
// or -1 when the stream is corrupt, ends early or does not fit into the destination.
std::int64_t uncompress_raw(ByteView source, MutableByteView destination);

enum class StreamStatus {
    progress,  // bytes were used or made; call again
    stalled,   // nothing can happen without more input or more output space
    done,      // the stream is complete
    error,     // corrupt data or a zlib failure
};

// Owns a zlib stream: ends it (deflate or inflate, as it was started) and frees it.
struct ZStreamDeleter {
    void (*end)(z_stream_s*) = nullptr;
    void operator()(z_stream_s* z) const;
};
using ZStreamPtr = std::unique_ptr<z_stream_s, ZStreamDeleter>;

// One stream run in steps. Each step advances `input` past the bytes used and `output` past
// the bytes written. Owns its zlib state; movable, not copyable.
class RawDeflater {
public:
    explicit RawDeflater(int level = kCompressionLevel);

    bool ok() const { return stream_ != nullptr; }
    // `last` says that `input` holds all data still to come.
    StreamStatus step(ByteView& input, MutableByteView& output, bool last);

private:
    ZStreamPtr stream_;
};

class RawInflater {
public:
    RawInflater();

    bool ok() const { return stream_ != nullptr; }
    StreamStatus step(ByteView& input, MutableByteView& output);

private:
    ZStreamPtr stream_;
};

}  // namespace roadsum
