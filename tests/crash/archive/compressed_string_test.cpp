#include "crash/archive/compressed_string.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include "crash/common/little_endian.h"
#include "zip_test_support.h"

namespace roadsum {
namespace {

const std::uint8_t* header(const std::string& container) {
    return reinterpret_cast<const std::uint8_t*>(container.data());
}

TEST(CompressedString, HeaderHoldsLengthProducerWordAndStandardCrcThenARawStream) {
    const std::string data = testing::report_text(5000);
    const std::string container = compress_string(data, 0xA1B2C3D4u);
    ASSERT_GT(container.size(), kCompressedStringHeaderSize);
    EXPECT_EQ(get_le32(header(container)), 5000u);
    EXPECT_EQ(get_le32(header(container) + 4), 0xA1B2C3D4u);
    EXPECT_EQ(get_le32(header(container) + 8),
              ::crc32(0, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size())));
    bool ok = false;
    EXPECT_EQ(testing::zlib_inflate(bytes_of(container).subspan(12), &ok), testing::to_bytes(data));
    EXPECT_TRUE(ok);
}

TEST(CompressedString, RoundTripsEmptySmallBinaryAndLargeData) {
    const std::vector<std::uint8_t> binary = testing::random_bytes(70000, 3);
    const std::string cases[] = {"", "a", std::string("\0\r\n\0", 4), std::string(binary.begin(), binary.end()),
                                 testing::report_text(3 << 20)};
    for (const std::string& data : cases) {
        const std::string container = compress_string(data);
        EXPECT_GE(container.size(), 14u);
        EXPECT_EQ(uncompress_string(container), data) << data.size();
    }
}

TEST(CompressedString, WrongCrcGivesEmpty) {
    std::string container = compress_string("the debug information");
    ASSERT_EQ(uncompress_string(container), "the debug information");
    container[9] ^= 0x40;
    EXPECT_EQ(uncompress_string(container), "");
}

TEST(CompressedString, ContainersShorterThan13BytesGiveEmpty) {
    const std::string container = compress_string("x");
    ASSERT_EQ(uncompress_string(container), "x");
    for (std::size_t length = 0; length <= 12; ++length)
        EXPECT_EQ(uncompress_string(container.substr(0, length)), "") << length;
    // A header alone that claims empty data with its correct crc is still too short.
    EXPECT_EQ(uncompress_string(std::string(12, '\0')), "");
}

TEST(CompressedString, LengthThatDisagreesWithTheStreamGivesEmpty) {
    const std::string data = testing::report_text(4000);
    const std::string container = compress_string(data);
    for (std::uint32_t length : {3999u, 4001u, 0u, 0xFFFFFFFFu}) {
        std::string changed = container;
        put_le32(reinterpret_cast<std::uint8_t*>(changed.data()), length);
        EXPECT_EQ(uncompress_string(changed), "") << length;
    }
}

// Any damage either shows as an empty result or, in the ignored padding bits of the last
// byte, changes nothing: never different data.
TEST(CompressedString, DamagedOrTruncatedStreamsNeverGiveWrongData) {
    const std::string data = testing::report_text(3000);
    const std::string container = compress_string(data);
    for (std::size_t at = kCompressedStringHeaderSize; at < container.size(); ++at) {
        for (unsigned bit : {0x01u, 0x80u}) {
            std::string damaged = container;
            damaged[at] = static_cast<char>(damaged[at] ^ bit);
            const std::string result = uncompress_string(damaged);
            EXPECT_TRUE(result.empty() || result == data) << "byte " << at;
        }
    }
    for (std::size_t length = 13; length < container.size(); ++length)
        EXPECT_EQ(uncompress_string(container.substr(0, length)), "") << length;
}

}  // namespace
}  // namespace roadsum
