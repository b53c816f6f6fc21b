#include "crash/archive/deflate.h"

#include <zlib.h>

#include <algorithm>
#include <limits>
#include <new>

namespace roadsum {
namespace {

constexpr int kWindowBits = 15;  // negative when passed to zlib: raw stream
constexpr int kMemoryLevel = 8;

// zlib counts in 32-bit units; larger ranges go through in several steps.
uInt chunk_of(std::size_t size) {
    return static_cast<uInt>(std::min<std::size_t>(size, std::numeric_limits<uInt>::max()));
}

// Runs one zlib call over the ranges and advances them past what it used and made.
template <class Call>
StreamStatus run_step(z_stream& z, ByteView& input, MutableByteView& output, Call call) {
    const uInt in_chunk = chunk_of(input.size());
    const uInt out_chunk = chunk_of(output.size());
    z.next_in = const_cast<Bytef*>(input.data());  // zlib does not write through it
    z.avail_in = in_chunk;
    // zlib refuses a null output pointer even with no room, as an empty range may have.
    Bytef no_room = 0;
    z.next_out = output.data() ? output.data() : &no_room;
    z.avail_out = out_chunk;
    const int rc = call(z, in_chunk == input.size());
    const std::size_t used = in_chunk - z.avail_in;
    const std::size_t made = out_chunk - z.avail_out;
    input = input.subspan(used);
    output = output.subspan(made);
    switch (rc) {
        case Z_STREAM_END: return StreamStatus::done;
        case Z_OK: return used || made ? StreamStatus::progress : StreamStatus::stalled;
        case Z_BUF_ERROR: return StreamStatus::stalled;
        default: return StreamStatus::error;
    }
}

void end_deflate(z_stream_s* z) { deflateEnd(z); }
void end_inflate(z_stream_s* z) { inflateEnd(z); }

}  // namespace

std::size_t compress_bound(std::size_t length) {
    const std::size_t extra = length / 10 + 12;
    return length > std::numeric_limits<std::size_t>::max() - extra ? 0 : length + extra;
}

void ZStreamDeleter::operator()(z_stream_s* z) const {
    if (end) end(z);
    delete z;
}

RawDeflater::RawDeflater(int level) {
    ZStreamPtr z(new (std::nothrow) z_stream{});
    if (z && deflateInit2(z.get(), level, Z_DEFLATED, -kWindowBits, kMemoryLevel, Z_DEFAULT_STRATEGY) == Z_OK) {
        z.get_deleter().end = end_deflate;
        stream_ = std::move(z);
    }
}

StreamStatus RawDeflater::step(ByteView& input, MutableByteView& output, bool last) {
    if (!stream_) return StreamStatus::error;
    return run_step(*stream_, input, output, [last](z_stream& z, bool whole_input) {
        return deflate(&z, last && whole_input ? Z_FINISH : Z_NO_FLUSH);
    });
}

RawInflater::RawInflater() {
    ZStreamPtr z(new (std::nothrow) z_stream{});
    if (z && inflateInit2(z.get(), -kWindowBits) == Z_OK) {
        z.get_deleter().end = end_inflate;
        stream_ = std::move(z);
    }
}

StreamStatus RawInflater::step(ByteView& input, MutableByteView& output) {
    if (!stream_) return StreamStatus::error;
    return run_step(*stream_, input, output, [](z_stream& z, bool) { return inflate(&z, Z_NO_FLUSH); });
}

std::int64_t compress_raw(ByteView source, MutableByteView destination, int level) {
    RawDeflater deflater(level);
    MutableByteView out = destination;
    for (;;) {
        switch (deflater.step(source, out, true)) {
            case StreamStatus::done: return static_cast<std::int64_t>(destination.size() - out.size());
            case StreamStatus::progress: continue;
            default: return -1;
        }
    }
}

std::int64_t uncompress_raw(ByteView source, MutableByteView destination) {
    RawInflater inflater;
    MutableByteView out = destination;
    for (;;) {
        switch (inflater.step(source, out)) {
            case StreamStatus::done: return static_cast<std::int64_t>(destination.size() - out.size());
            case StreamStatus::progress: continue;
            default: return -1;
        }
    }
}

}  // namespace roadsum
