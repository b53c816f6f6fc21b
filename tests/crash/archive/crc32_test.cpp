#include "crash/archive/crc32.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include "zip_test_support.h"

namespace roadsum {
namespace {

TEST(Crc32, StandardChecksumHasTheKnownCheckValue) {
    EXPECT_EQ(crc32(bytes_of("123456789")), 0xCBF43926u);
    EXPECT_EQ(crc32(bytes_of("")), 0u);
    EXPECT_EQ(crc32(bytes_of("The quick brown fox jumps over the lazy dog")), 0x414FA339u);
}

TEST(Crc32, RawUpdateNeitherInvertsNorPresets) {
    const std::uint8_t zero = 0, one = 1;
    EXPECT_EQ(crc32_update(0, {&zero, 1}), 0u);
    EXPECT_EQ(crc32_update(0, {&one, 1}), 0x77073096u);  // the table's second entry
    EXPECT_EQ(crc32_update(0x12345678u, {}), 0x12345678u);
}

// The raw register from any start value equals zlib's standard checksum taken between
// inversions, and updates chain: the call-stack checksums rely on both.
TEST(Crc32, RawUpdateChainsAndAgreesWithZlib) {
    const std::vector<std::uint8_t> data = testing::random_bytes(4099, 7);
    const std::uint32_t starts[] = {0u, 0xFFFFFFFFu, 0xDEADBEEFu, 1u};
    for (std::uint32_t start : starts) {
        for (std::size_t length : {1, 3, 7, 8, 9, 16, 255, 4099}) {
            const ByteView part(data.data(), length);
            EXPECT_EQ(crc32_update(start, part), static_cast<std::uint32_t>(~::crc32(~start, data.data(), static_cast<uInt>(length))))
                << "start " << start << " length " << length;
        }
        const std::uint32_t whole = crc32_update(start, data);
        for (std::size_t cut : {0, 1, 5, 8, 1001, 4099}) {
            const ByteView all(data);
            EXPECT_EQ(crc32_update(crc32_update(start, all.first(cut)), all.subspan(cut)), whole) << "cut " << cut;
        }
    }
}

}  // namespace
}  // namespace roadsum
