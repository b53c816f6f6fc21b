#include "crash/archive/deflate.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <limits>

#include "zip_test_support.h"

namespace roadsum {
namespace {

using testing::random_bytes;
using testing::report_text;
using testing::to_bytes;

std::vector<std::uint8_t> compressed(ByteView data) {
    std::vector<std::uint8_t> out(compress_bound(data.size()));
    const std::int64_t n = compress_raw(data, out);
    EXPECT_GT(n, 0);
    out.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
    return out;
}

TEST(Deflate, RoundTripsEmptySmallIncompressibleAndLargeData) {
    const std::vector<std::vector<std::uint8_t>> cases = {
        {}, {'x'}, to_bytes("hello, hello, hello"), random_bytes(65536, 1), to_bytes(report_text(5 << 20)),
        std::vector<std::uint8_t>(3 << 20, 0)};
    for (const auto& data : cases) {
        const std::vector<std::uint8_t> stream = compressed(data);
        // Another raw inflater reads it: a raw stream, neither zlib nor gzip wrapped.
        bool ok = false;
        EXPECT_EQ(testing::zlib_inflate(stream, &ok), data) << data.size();
        EXPECT_TRUE(ok);
        std::vector<std::uint8_t> back(data.size());
        EXPECT_EQ(uncompress_raw(stream, back), static_cast<std::int64_t>(data.size()));
        EXPECT_EQ(back, data);
    }
}

TEST(Deflate, TextShrinks) {
    const std::vector<std::uint8_t> text = to_bytes(report_text(1 << 20));
    EXPECT_LT(compressed(text).size(), text.size() / 4);
}

TEST(Deflate, BoundIsLengthPlusATenthPlus12AndHoldsIncompressibleData) {
    EXPECT_EQ(compress_bound(0), 12u);
    EXPECT_EQ(compress_bound(10), 23u);
    EXPECT_EQ(compress_bound(1005), 1005u + 100u + 12u);
    EXPECT_EQ(compress_bound(std::numeric_limits<std::size_t>::max() - 5), 0u);
    for (std::size_t size : {0, 1, 2, 5, 17, 100, 1000, 65535, 65536, 300000}) {
        const std::vector<std::uint8_t> data = random_bytes(size, static_cast<std::uint32_t>(size));
        std::vector<std::uint8_t> out(compress_bound(size));
        EXPECT_GT(compress_raw(data, out), 0) << size;
    }
}

TEST(Deflate, DestinationsTooSmallFailInsteadOfTruncating) {
    const std::vector<std::uint8_t> data = to_bytes(report_text(10000));
    std::vector<std::uint8_t> tiny(8);
    EXPECT_EQ(compress_raw(data, tiny), -1);
    EXPECT_EQ(compress_raw(data, {}), -1);

    const std::vector<std::uint8_t> stream = compressed(data);
    std::vector<std::uint8_t> exact(data.size()), short_by_one(data.size() - 1);
    EXPECT_EQ(uncompress_raw(stream, exact), static_cast<std::int64_t>(data.size()));
    EXPECT_EQ(uncompress_raw(stream, short_by_one), -1);
    EXPECT_EQ(uncompress_raw(compressed({}), {}), 0);
}

TEST(Deflate, CorruptTruncatedOrWrappedStreamsFail) {
    const std::vector<std::uint8_t> data = to_bytes(report_text(20000));
    const std::vector<std::uint8_t> stream = compressed(data);
    std::vector<std::uint8_t> out(data.size() + 100);
    for (std::size_t length = 0; length < stream.size(); ++length)
        ASSERT_EQ(uncompress_raw(ByteView(stream).first(length), out), -1) << "prefix of " << length;

    const std::uint8_t reserved_block_type[] = {0x07, 0x00, 0x00};
    EXPECT_EQ(uncompress_raw(reserved_block_type, out), -1);

    std::vector<std::uint8_t> wrapped(compressBound(static_cast<uLong>(data.size())));
    uLongf wrapped_size = static_cast<uLongf>(wrapped.size());
    ASSERT_EQ(compress2(wrapped.data(), &wrapped_size, data.data(), static_cast<uLong>(data.size()), 6), Z_OK);
    EXPECT_EQ(uncompress_raw(ByteView(wrapped).first(wrapped_size), out), -1);
}

TEST(Deflate, BytesAfterTheStreamAreIgnored) {
    const std::vector<std::uint8_t> data = to_bytes("some report text, some report text");
    std::vector<std::uint8_t> stream = compressed(data);
    stream.insert(stream.end(), {'t', 'r', 'a', 'i', 'l'});
    std::vector<std::uint8_t> out(100);
    ASSERT_EQ(uncompress_raw(stream, out), static_cast<std::int64_t>(data.size()));
    EXPECT_TRUE(std::equal(data.begin(), data.end(), out.begin()));
}

// The mapped-file variants hand over whatever view is mapped: any split of input and output
// must give the same data.
TEST(Deflate, StepwiseStreamsTakeAnySplitOfInputAndOutput) {
    const std::vector<std::uint8_t> data = to_bytes(report_text(300000));
    for (std::size_t piece : {1, 7, 4096}) {
        RawDeflater deflater;
        ASSERT_TRUE(deflater.ok());
        std::vector<std::uint8_t> stream;
        ByteView rest(data);
        StreamStatus status = StreamStatus::progress;
        while (status != StreamStatus::done && status != StreamStatus::error) {
            ByteView in = rest.first(std::min(rest.size(), piece * 13));
            const std::size_t offered = in.size();
            std::vector<std::uint8_t> window(piece);
            MutableByteView out(window);
            status = deflater.step(in, out, offered == rest.size());
            rest = rest.subspan(offered - in.size());
            stream.insert(stream.end(), window.begin(), window.end() - static_cast<std::ptrdiff_t>(out.size()));
        }
        ASSERT_EQ(status, StreamStatus::done) << piece;
        EXPECT_TRUE(rest.empty());

        RawInflater inflater;
        std::vector<std::uint8_t> back;
        ByteView in_rest(stream);
        status = StreamStatus::progress;
        while (status != StreamStatus::done && status != StreamStatus::error) {
            ByteView in = in_rest.first(std::min(in_rest.size(), piece));
            const std::size_t offered = in.size();
            std::vector<std::uint8_t> window(piece * 3);
            MutableByteView out(window);
            status = inflater.step(in, out);
            in_rest = in_rest.subspan(offered - in.size());
            back.insert(back.end(), window.begin(), window.end() - static_cast<std::ptrdiff_t>(out.size()));
            if (status == StreamStatus::stalled && in_rest.empty()) break;
        }
        ASSERT_EQ(status, StreamStatus::done) << piece;
        EXPECT_EQ(back, data) << piece;
    }
}

TEST(Deflate, InflaterStallsAtTheEndOfATruncatedStream) {
    const std::vector<std::uint8_t> stream = compressed(to_bytes(report_text(5000)));
    RawInflater inflater;
    ByteView in = ByteView(stream).first(stream.size() / 2);
    std::vector<std::uint8_t> window(100000);
    MutableByteView out(window);
    StreamStatus status = inflater.step(in, out);
    while (status == StreamStatus::progress) status = inflater.step(in, out);
    EXPECT_EQ(status, StreamStatus::stalled);
    EXPECT_TRUE(in.empty());
}

}  // namespace
}  // namespace roadsum
