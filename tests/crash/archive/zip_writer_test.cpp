#include "crash/archive/zip_writer.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include "crash/archive/zip_files.h"
#include "crash/common/little_endian.h"
#include "zip_test_support.h"

namespace roadsum {
namespace {

using testing::parse_zip;
using testing::to_bytes;

// A sink that takes the first `writes_left` writes and fails from then on.
class FailingSink final : public ByteSink {
public:
    explicit FailingSink(int writes_left) : writes_left_(writes_left) {}
    bool write(ByteView bytes) override {
        if (writes_left_-- <= 0) return false;
        taken_ += bytes.size();
        return true;
    }
    std::size_t taken() const { return taken_; }

private:
    int writes_left_;
    std::size_t taken_ = 0;
};

TEST(ZipWriter, SingleBugReportArchiveHasTheExactHeaderValues) {
    const std::vector<std::uint8_t> report = to_bytes(testing::report_text(20000));
    MemorySink sink;
    ZipWriter writer(sink);
    const DosStamp stamp = dos_stamp({2024, 3, 5, 14, 22, 31});
    ASSERT_EQ(writer.add({"bugreport.txt", stamp, 0x20}, report), ZipWriter::Added::written);
    ASSERT_TRUE(writer.finish());
    const std::vector<std::uint8_t>& a = sink.bytes();
    const std::uint8_t* p = a.data();
    const std::uint32_t packed = get_le32(p + 18);
    const std::uint32_t crc = ::crc32(0, report.data(), static_cast<uInt>(report.size()));
    ASSERT_EQ(a.size(), 30 + 13 + packed + 46 + 13 + 22);

    // Local header, name and data.
    EXPECT_EQ(get_le32(p), 0x04034B50u);
    EXPECT_EQ(get_le16(p + 4), 20);
    EXPECT_EQ(get_le16(p + 6), 0x0800);
    EXPECT_EQ(get_le16(p + 8), 8);
    EXPECT_EQ(get_le16(p + 10), 14 << 11 | 22 << 5 | 15);
    EXPECT_EQ(get_le16(p + 12), 44 << 9 | 3 << 5 | 5);
    EXPECT_EQ(get_le32(p + 14), crc);
    EXPECT_EQ(get_le32(p + 22), report.size());
    EXPECT_EQ(get_le16(p + 26), 13);
    EXPECT_EQ(get_le16(p + 28), 0);
    EXPECT_EQ(std::string(p + 30, p + 43), "bugreport.txt");

    // Central entry right after the data.
    const std::uint8_t* c = p + 43 + packed;
    EXPECT_EQ(get_le32(c), 0x02014B50u);
    EXPECT_EQ(get_le16(c + 4), 20);
    EXPECT_TRUE(std::equal(c + 6, c + 30, p + 4));
    for (int at : {30, 32, 34, 36}) EXPECT_EQ(get_le16(c + at), 0) << at;
    EXPECT_EQ(get_le32(c + 38), 0x20u);
    EXPECT_EQ(get_le32(c + 42), 0u);
    EXPECT_EQ(std::string(c + 46, c + 59), "bugreport.txt");

    // End record.
    const std::uint8_t* e = c + 59;
    EXPECT_EQ(get_le32(e), 0x06054B50u);
    EXPECT_EQ(get_le16(e + 4), 0);
    EXPECT_EQ(get_le16(e + 6), 0);
    EXPECT_EQ(get_le16(e + 8), 1);
    EXPECT_EQ(get_le16(e + 10), 1);
    EXPECT_EQ(get_le32(e + 12), 46u + 13u);
    EXPECT_EQ(get_le32(e + 16), 30u + 13u + packed);
    EXPECT_EQ(get_le16(e + 20), 0);

    const testing::ParsedZip zip = parse_zip(a);
    ASSERT_EQ(zip.error, "");
    EXPECT_EQ(zip.entries.at(0).data, report);
}

TEST(ZipWriter, EntriesFollowEachOtherInOrderWithTheirOwnStampsAndAttributes) {
    const std::vector<std::vector<std::uint8_t>> contents = {
        {}, {'1'}, testing::random_bytes(70000, 9), to_bytes(testing::report_text(400000))};
    MemorySink sink;
    ZipWriter writer(sink);
    for (std::size_t i = 0; i < contents.size(); ++i) {
        const ZipEntryInfo info{"file" + std::to_string(i), dos_stamp({2000 + int(i), 1, 2, 3, 4, 6}),
                                static_cast<std::uint32_t>(0x20 | i)};
        ASSERT_EQ(writer.add(info, contents[i]), ZipWriter::Added::written);
    }
    EXPECT_EQ(writer.entry_count(), 4u);
    ASSERT_TRUE(writer.finish());
    const testing::ParsedZip zip = parse_zip(sink.bytes());
    ASSERT_EQ(zip.error, "");
    ASSERT_EQ(zip.entries.size(), 4u);
    for (std::size_t i = 0; i < contents.size(); ++i) {
        const testing::ZipRecord& r = zip.entries[i];
        EXPECT_EQ(r.name, "file" + std::to_string(i));
        EXPECT_EQ(r.data, contents[i]);
        EXPECT_EQ(r.date, (20 + i) << 9 | 1 << 5 | 2);
        EXPECT_EQ(r.time, 3 << 11 | 4 << 5 | 3);
        EXPECT_EQ(r.attributes, 0x20 | i);
        EXPECT_EQ(r.version_made, 20);
        EXPECT_EQ(r.flags, 0x0800);
        EXPECT_EQ(r.method, 8);
    }
}

TEST(ZipWriter, EntryWithoutNameIsSkippedAndTheArchiveStaysSound) {
    MemorySink sink;
    ZipWriter writer(sink);
    EXPECT_EQ(writer.add({"", {}, 0}, to_bytes("lost")), ZipWriter::Added::skipped);
    EXPECT_EQ(writer.add({"kept.txt", {}, 0}, to_bytes("kept")), ZipWriter::Added::written);
    ASSERT_TRUE(writer.finish());
    const testing::ParsedZip zip = parse_zip(sink.bytes());
    ASSERT_EQ(zip.error, "");
    ASSERT_EQ(zip.entries.size(), 1u);
    EXPECT_EQ(zip.entries[0].name, "kept.txt");
}

TEST(ZipWriter, AFailedWriteAnywhereFailsTheArchiveForGood) {
    const std::vector<std::uint8_t> data = to_bytes("report");
    // Two entries take three writes each; finishing takes two.
    for (int allowed = 0; allowed < 8; ++allowed) {
        FailingSink sink(allowed);
        ZipWriter writer(sink);
        const bool first = writer.add({"a", {}, 0}, data) == ZipWriter::Added::written;
        const bool second = writer.add({"b", {}, 0}, data) == ZipWriter::Added::written;
        const bool finished = writer.finish();
        EXPECT_EQ(first, allowed >= 3) << allowed;
        EXPECT_EQ(second, allowed >= 6) << allowed;
        EXPECT_FALSE(finished) << allowed;
        if (!first) {
            EXPECT_FALSE(second) << "an entry after a failure";
        }
    }
    FailingSink enough(8);
    ZipWriter writer(enough);
    writer.add({"a", {}, 0}, data);
    writer.add({"b", {}, 0}, data);
    EXPECT_TRUE(writer.finish());
}

TEST(DosStamp, PacksTwoSecondStepsAndClampsToTheYearsItCanHold) {
    const DosStamp s = dos_stamp({2021, 6, 15, 10, 20, 31});
    EXPECT_EQ(s.time, 10 << 11 | 20 << 5 | 15);
    EXPECT_EQ(s.date, 41 << 9 | 6 << 5 | 15);
    const DosStamp first = dos_stamp({1980, 1, 1, 0, 0, 0});
    EXPECT_EQ(first.date, 0x21);
    EXPECT_EQ(first.time, 0);
    const DosStamp before = dos_stamp({1979, 12, 31, 23, 59, 59});
    EXPECT_EQ(before.date, first.date);
    EXPECT_EQ(before.time, first.time);
    const DosStamp last = dos_stamp({2107, 12, 31, 23, 59, 59});
    EXPECT_EQ(last.date, 127 << 9 | 12 << 5 | 31);
    EXPECT_EQ(last.time, 23 << 11 | 59 << 5 | 29);
    const DosStamp after = dos_stamp({2150, 6, 1, 12, 0, 0});
    EXPECT_EQ(after.date, last.date);
    EXPECT_EQ(after.time, last.time);
}

TEST(ZipNames, WideNamesBecomeUtf8) {
    EXPECT_EQ(utf8_from_wide(L"bugreport.txt"), "bugreport.txt");
    EXPECT_EQ(utf8_from_wide(L"Gr\u00f6\u00dfe \u20ac \u65e5\u672c"),
              "Gr\xC3\xB6\xC3\x9F" "e \xE2\x82\xAC \xE6\x97\xA5\xE6\x9C\xAC");
    EXPECT_EQ(utf8_from_wide(L"\U0001F600"), "\xF0\x9F\x98\x80");
    // A broken surrogate cannot be encoded; it becomes the replacement character.
    const wchar_t lone[] = {L'a', static_cast<wchar_t>(0xD800), L'b', 0};
    EXPECT_EQ(utf8_from_wide(lone), "a\xEF\xBF\xBD" "b");
}

TEST(ZipNames, PathIsCutAtTheLastSeparatorOrDriveColon) {
    EXPECT_EQ(name_without_path(L"C:\\Temp\\noxtmp\\bugreport.txt"), L"bugreport.txt");
    EXPECT_EQ(name_without_path(L"reports/screenShot.png"), L"screenShot.png");
    EXPECT_EQ(name_without_path(L"D:shot.png"), L"shot.png");
    EXPECT_EQ(name_without_path(L"plain.txt"), L"plain.txt");
    EXPECT_EQ(name_without_path(L"C:\\dir\\"), L"");
}

}  // namespace
}  // namespace roadsum
