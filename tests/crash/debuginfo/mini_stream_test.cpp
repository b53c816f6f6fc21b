// The memory stream and its packed values.
#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "crash/debuginfo/mini_stream.h"

namespace roadsum {
namespace {

std::string bytes(std::initializer_list<unsigned> list) {
    std::string s;
    for (unsigned b : list) s += static_cast<char>(b);
    return s;
}

TEST(PackedInteger, MarkerByteIsFollowedByAFourByteValue) {
    TMiniStream s(bytes({0x80, 0x78, 0x56, 0x34, 0x12, 0x80, 0xFE, 0xFF, 0xFF, 0xFF}));
    std::int32_t v = 0;
    ASSERT_TRUE(s.ReadPackedInt(v));
    EXPECT_EQ(v, 0x12345678);
    ASSERT_TRUE(s.ReadPackedInt(v));
    EXPECT_EQ(v, -2);
    EXPECT_FALSE(s.ReadPackedInt(v));
}

TEST(PackedInteger, OtherBytesAreSignedValuesThemselves) {
    TMiniStream s(bytes({0x7F, 0xFF, 0x81, 0x00}));
    std::int32_t v = 0;
    ASSERT_TRUE(s.ReadPackedInt(v));
    EXPECT_EQ(v, 127);
    ASSERT_TRUE(s.ReadPackedInt(v));
    EXPECT_EQ(v, -1);
    ASSERT_TRUE(s.ReadPackedInt(v));
    EXPECT_EQ(v, -127);
    ASSERT_TRUE(s.ReadPackedInt(v));
    EXPECT_EQ(v, 0);
}

TEST(PackedInteger, MarkerWithTooFewBytesFails) {
    TMiniStream s(bytes({0x80, 0x01, 0x02, 0x03}));
    std::int32_t v = 0;
    EXPECT_FALSE(s.ReadPackedInt(v));
}

TEST(PackedInteger, WrittenValuesReadBackInTheShortestForm) {
    TMiniStream s;
    for (std::int32_t v : {0, 127, -127, 128, -128, INT_MAX, INT_MIN}) ASSERT_TRUE(s.WritePackedInt(v));
    // One byte for 0, 127, -127; five for the others (-128 shares its byte with the marker).
    EXPECT_EQ(s.Size(), 3 + 4 * 5);
    s.Seek(0);
    for (std::int32_t expected : {0, 127, -127, 128, -128, INT_MAX, INT_MIN}) {
        std::int32_t v = 1;
        ASSERT_TRUE(s.ReadPackedInt(v));
        EXPECT_EQ(v, expected);
    }
}

TEST(PackedString, LengthByteAndCharacters) {
    TMiniStream s;
    s.WritePackedString("System");
    s.WritePackedString(std::string(300, 'x'));  // cut to what a length byte counts
    s.Seek(0);
    std::string text;
    ASSERT_TRUE(s.ReadPackedString(text));
    EXPECT_EQ(text, "System");
    ASSERT_TRUE(s.ReadPackedString(text));
    EXPECT_EQ(text, std::string(255, 'x'));
}

TEST(PackedString, FewerCharactersThanItsLengthLeavesItEmpty) {
    TMiniStream s(bytes({5, 'a', 'b'}));
    std::string text = "before";
    EXPECT_FALSE(s.ReadPackedString(text));
    EXPECT_EQ(text, "");
}

TEST(MiniStream, ReadsNoMoreThanIsLeft) {
    TMiniStream s("abcdef");
    char buffer[16] = {};
    EXPECT_EQ(s.Read(buffer, 4), 4);
    EXPECT_EQ(s.Read(buffer, 10), 2);
    EXPECT_EQ(std::string(buffer, 2), "ef");
    EXPECT_EQ(s.Read(buffer, 1), 0);
}

TEST(MiniStream, NegativeCountOrPositionReadsNothing) {
    TMiniStream s("abcdef");
    char buffer[8] = {};
    EXPECT_EQ(s.Read(buffer, -1), 0);
    EXPECT_EQ(s.Position(), 0);
    s.Seek(-3);
    EXPECT_EQ(s.Read(buffer, 2), 0);
    EXPECT_EQ(s.Remaining(), 0);
    s.Seek(100);
    EXPECT_EQ(s.Read(buffer, 2), 0);
}

TEST(MiniStream, CapacityIsTheSizeRoundedUpToWholeBlocks) {
    EXPECT_EQ(TMiniStream(std::string(1, 'x')).Capacity(), 8192);
    EXPECT_EQ(TMiniStream(std::string(8192, 'x')).Capacity(), 8192);
    EXPECT_EQ(TMiniStream(std::string(8193, 'x')).Capacity(), 16384);
    TMiniStream grown;
    for (int i = 0; i < 3000; ++i) grown.WriteInt32(i);
    EXPECT_EQ(grown.Size(), 12000);
    EXPECT_EQ(grown.Capacity(), 16384);
}

}  // namespace
}  // namespace roadsum
