// The packed debug-information stream and its container.
#include <gtest/gtest.h>

#include "crash/archive/compressed_string.h"
#include "crash/common/little_endian.h"
#include "crash/debuginfo/container.h"
#include "crash/debuginfo/packed_debug_stream.h"
#include "debug_tables_fixture.h"

namespace roadsum::testing {
namespace {


TEST(PackedDebugStream, FullTablesReadBackAtAnotherCodeStart) {
    const DebugTables t = sample_tables();
    const std::string stream = write_packed_debug_stream(t, false, kCodeStart);
    DebugTables back;
    ASSERT_TRUE(read_packed_debug_stream(stream, false, 0x10001000, back));
    ASSERT_EQ(back.Segments.size(), 2u);
    EXPECT_EQ(back.Segments[1].Name, "RoadsumFrm");
    EXPECT_EQ(back.Segments[1].Start, 0x10001100u);
    EXPECT_EQ(back.Segments[1].Length, 0x200u);
    ASSERT_EQ(back.Publics.size(), 4u);
    EXPECT_EQ(back.Publics[3].Name, "@RoadsumFrm@Helper");
    EXPECT_EQ(back.Publics[3].Address, 0x100012F0u);
    EXPECT_TRUE(back.Publics[3].IsCode && back.Publics[3].Used);
    ASSERT_EQ(back.Lines.size(), 6u);
    // A line step beyond a single byte (172 to 40000) and back down (to 41).
    EXPECT_EQ(back.Lines[4].Line, 40000);
    EXPECT_EQ(back.Lines[5].Line, 41);
    EXPECT_EQ(back.Lines[5].Address, 0x100012F0u);
    EXPECT_EQ(back.EntryAddress, 0x10001000u);
}

TEST(PackedDebugStream, HandWrittenStreamWithPackedSteps) {
    // One segment; two publics, the second 0x90 bytes on (a long step); two lines.
    std::string s = le32_bytes(1) + le32_bytes(0x10) + le32_bytes(0x40) + "\x04Unit";
    s += le32_bytes(2) + "\x01" "A" + le32_bytes(0x10) + "\x01" "B" + "\x80" + le32_bytes(0x90);
    s += le32_bytes(2) + le32_bytes(100) + le32_bytes(0x10) + "\x05" "\x7F";
    DebugTables t;
    ASSERT_TRUE(read_packed_debug_stream(s, false, 0x1000, t));
    EXPECT_EQ(t.Segments[0].Start, 0x1010u);
    EXPECT_EQ(t.Publics[1].Address, 0x10A0u);
    EXPECT_EQ(t.Lines[1].Line, 105);
    EXPECT_EQ(t.Lines[1].Address, 0x108Fu);
    EXPECT_EQ(t.EntryAddress, 0u);
}

TEST(PackedDebugStream, EntryPointOnlyWhenExactlyFourBytesRemain) {
    const std::string base = le32_bytes(0) + le32_bytes(0) + le32_bytes(0);
    DebugTables t;
    ASSERT_TRUE(read_packed_debug_stream(base + le32_bytes(0x20), false, 0x1000, t));
    EXPECT_EQ(t.EntryAddress, 0x1020u);
    for (const std::string& tail : {std::string("abc"), le32_bytes(0x20) + "x"}) {
        DebugTables other;
        ASSERT_TRUE(read_packed_debug_stream(base + tail, false, 0x1000, other));
        EXPECT_EQ(other.EntryAddress, 0u);
    }
}

TEST(PackedDebugStream, MinimalModeNumbersNamesAndMarksUnitsWithLines) {
    const DebugTables t = sample_tables();
    const std::string stream = write_packed_debug_stream(t, true, kCodeStart);
    EXPECT_EQ(stream.find("RoadsumFrm"), std::string::npos);
    DebugTables back;
    ASSERT_TRUE(read_packed_debug_stream(stream, true, kCodeStart, back));
    ASSERT_EQ(back.Segments.size(), 2u);
    EXPECT_EQ(back.Segments[0].Name, "segment%0");
    EXPECT_EQ(back.Segments[1].Name, "segment%1");
    EXPECT_EQ(back.Segments[1].HasLines, 1);
    ASSERT_EQ(back.Publics.size(), 4u);
    EXPECT_EQ(back.Publics[2].Name, "public%2");
    EXPECT_EQ(back.Publics[2].Address, 0x401180u);
    EXPECT_TRUE(back.Lines.empty());

    DebugTables no_lines = t;
    no_lines.Lines = {{1, 0x401000}};
    DebugTables marks;
    ASSERT_TRUE(read_packed_debug_stream(write_packed_debug_stream(no_lines, true, kCodeStart), true, kCodeStart, marks));
    EXPECT_EQ(marks.Segments[0].HasLines, 1);
    EXPECT_EQ(marks.Segments[1].HasLines, 0);
}

TEST(PackedDebugStream, EveryShortenedStreamFails) {
    const std::string stream = write_packed_debug_stream(sample_tables(), false, kCodeStart);
    // Cutting at the entry point's 4 bytes leaves a valid stream without it.
    for (std::size_t n = 0; n + 4 < stream.size(); ++n) {
        DebugTables t;
        EXPECT_FALSE(read_packed_debug_stream(stream.substr(0, n), false, kCodeStart, t)) << n;
    }
}

TEST(PackedDebugStream, NegativeOrForgedCountsFail) {
    DebugTables t;
    EXPECT_FALSE(read_packed_debug_stream(le32_bytes(0xFFFFFFFF), false, 0, t));
    EXPECT_FALSE(read_packed_debug_stream(le32_bytes(0) + le32_bytes(0x7FFFFFFF) + "\x01" "A", false, 0, t));
    EXPECT_FALSE(read_packed_debug_stream(le32_bytes(0) + le32_bytes(0) + le32_bytes(0x40000000) + le32_bytes(1) + le32_bytes(2), false, 0, t));
}

TEST(DebugContainer, RoundTripWithIdentification) {
    const std::string stream = write_packed_debug_stream(sample_tables(), false, kCodeStart);
    const std::string c = write_debug_container(stream, 0x12345678, 0x9ABCDEF0, 0);
    const auto read = read_debug_container(c);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->stream, stream);
    EXPECT_EQ(read->version, 3);
    EXPECT_FALSE(read->minimal());
    EXPECT_EQ(read->identification(), debug_identification(static_cast<std::uint32_t>(c.size()), 0x12345678, 0x9ABCDEF0));
    EXPECT_EQ(debug_identification(0x9A0F, 0xBADA6376, 1), "$00009a0f, $bada6376, $00000001");
    // Enciphered: the compressed body does not stand in the container as it is.
    EXPECT_EQ(c.find(compress_string(stream).substr(12, 16)), std::string::npos);
    EXPECT_TRUE(read_debug_container(write_debug_container(stream, 1, 2, kDebugContainerMinimal))->minimal());
}

TEST(DebugContainer, VersionTwoBodyFollowsTheVersion) {
    std::string body = compress_string("packed stream");
    cipher_debug_body(body);
    const std::string c = std::string(kDebugContainerSignature) + le32_bytes(static_cast<std::uint32_t>(body.size())) + le32_bytes(2) + body;
    const auto read = read_debug_container(c);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->stream, "packed stream");
    EXPECT_EQ(read->version, 2);
    // Its identification words and flags are read where version 3 has them.
    EXPECT_EQ(read->id1, get_le32(reinterpret_cast<const std::uint8_t*>(body.data())));
}

TEST(DebugContainer, BrokenContainersAreRefused) {
    const std::string good = write_debug_container("stream", 1, 2, 0);
    const std::size_t sig = kDebugContainerSignature.size();
    std::string wrong_signature = good;
    wrong_signature[0] ^= 1;
    std::string wrong_version = good;
    wrong_version.replace(sig + 4, 4, le32_bytes(4));
    std::string wrong_crc = good;  // the cipher keeps bit positions: this flips a bit of the stored crc
    wrong_crc[sig + 20 + 8] ^= 1;
    std::string long_body = good;
    long_body.replace(sig, 4, le32_bytes(static_cast<std::uint32_t>(good.size())));
    for (const std::string& bad : {wrong_signature, wrong_version, wrong_crc, long_body, good.substr(0, sig + 8),
                                   good.substr(0, good.size() - 1), std::string()})
        EXPECT_FALSE(read_debug_container(bad));
    EXPECT_TRUE(read_debug_container(good));
}

}  // namespace
}  // namespace roadsum::testing
