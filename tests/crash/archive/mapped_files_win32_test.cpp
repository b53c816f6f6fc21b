#include <gtest/gtest.h>

#include "crash/archive/deflate.h"
#include "crash/archive/zip_win32.h"
#include "win32_test_files.h"
#include "zip_test_support.h"

namespace roadsum {
namespace {

using namespace roadsum::testing;

std::vector<std::uint8_t> mixed_data() {
    std::vector<std::uint8_t> data = to_bytes(report_text(3 << 20));
    const std::vector<std::uint8_t> noise = random_bytes(300000, 8);
    data.insert(data.end(), noise.begin(), noise.end());
    return data;
}

// Views far smaller than the data, one not a multiple of the allocation granularity, so
// both streams cross many view boundaries on either side.
TEST(MappedFiles, RoundTripAcrossManyViews) {
    const std::wstring dir = scratch_dir(L"mapped");
    const std::vector<std::uint8_t> data = mixed_data();
    write_wide_file(dir + L"\\source", data);
    for (std::uint32_t view : {65536u, 1000u, kMappedViewBytes}) {
        const std::int64_t packed = compress_file(dir + L"\\source", dir + L"\\packed", view);
        ASSERT_GT(packed, 0) << view;
        EXPECT_EQ(file_size(dir + L"\\packed"), static_cast<std::uint64_t>(packed));
        std::vector<std::uint8_t> back(data.size());
        EXPECT_EQ(uncompress_raw(read_wide_file(dir + L"\\packed"), back), static_cast<std::int64_t>(data.size()));
        EXPECT_TRUE(back == data) << view;

        EXPECT_EQ(uncompress_file(dir + L"\\packed", dir + L"\\back", view), static_cast<std::int64_t>(data.size()));
        EXPECT_TRUE(read_wide_file(dir + L"\\back") == data) << view;
    }
}

TEST(MappedFiles, EmptyFileRoundTrips) {
    const std::wstring dir = scratch_dir(L"mapped_empty");
    write_wide_file(dir + L"\\source", {});
    EXPECT_GT(compress_file(dir + L"\\source", dir + L"\\packed"), 0);
    EXPECT_EQ(uncompress_file(dir + L"\\packed", dir + L"\\back"), 0);
    EXPECT_TRUE(file_exists(dir + L"\\back"));
    EXPECT_EQ(file_size(dir + L"\\back"), 0u);
}

TEST(MappedFiles, CorruptOrTruncatedStreamFailsAndLeavesNoDestination) {
    const std::wstring dir = scratch_dir(L"mapped_corrupt");
    write_wide_file(dir + L"\\source", to_bytes(report_text(400000)));
    const std::int64_t packed = compress_file(dir + L"\\source", dir + L"\\packed", 65536);
    ASSERT_GT(packed, 0);
    std::vector<std::uint8_t> stream = read_wide_file(dir + L"\\packed");
    write_wide_file(dir + L"\\truncated", ByteView(stream).first(stream.size() - 1));
    EXPECT_EQ(uncompress_file(dir + L"\\truncated", dir + L"\\back", 65536), -1);
    EXPECT_FALSE(file_exists(dir + L"\\back"));

    stream[0] |= 0x06;  // the reserved block type
    write_wide_file(dir + L"\\damaged", stream);
    EXPECT_EQ(uncompress_file(dir + L"\\damaged", dir + L"\\back", 65536), -1);
    EXPECT_FALSE(file_exists(dir + L"\\back"));
    write_wide_file(dir + L"\\empty", {});
    EXPECT_EQ(uncompress_file(dir + L"\\empty", dir + L"\\back"), -1);
    EXPECT_FALSE(file_exists(dir + L"\\back"));
}

TEST(MappedFiles, SourceIsNeverItsOwnDestinationAndAMissingSourceTouchesNothing) {
    const std::wstring dir = scratch_dir(L"mapped_same");
    const std::vector<std::uint8_t> data = to_bytes(report_text(100000));
    write_wide_file(dir + L"\\source", data);
    EXPECT_EQ(compress_file(dir + L"\\source", dir + L"\\source"), -1);
    EXPECT_TRUE(read_wide_file(dir + L"\\source") == data);

    write_wide_file(dir + L"\\keep", to_bytes("keep"));
    EXPECT_EQ(compress_file(dir + L"\\missing", dir + L"\\keep"), -1);
    EXPECT_EQ(uncompress_file(dir + L"\\missing", dir + L"\\keep"), -1);
    EXPECT_TRUE(read_wide_file(dir + L"\\keep") == to_bytes("keep"));
}

}  // namespace
}  // namespace roadsum
