#include "crash/archive/zip_files.h"

#include <gtest/gtest.h>

#include <limits>
#include <map>

#include "zip_test_support.h"

namespace roadsum {
namespace {

using testing::parse_zip;
using testing::to_bytes;

// Files in memory. Written archives land in `archives`; a sink can be made to fail once a
// number of bytes was taken, or when it is flushed.
class FakeFileSystem final : public ZipFileSystem {
public:
    std::map<std::wstring, ZipSourceFile> files;
    std::map<std::wstring, std::vector<std::uint8_t>> archives;
    std::vector<std::wstring> removed;
    std::size_t byte_limit = std::numeric_limits<std::size_t>::max();
    bool fail_create = false;
    bool fail_flush = false;
    int open_sinks = 0;

    void add(const std::wstring& path, std::vector<std::uint8_t> bytes, DosStamp stamp = {}, std::uint32_t attributes = 0x20) {
        files[path] = {std::move(bytes), stamp, attributes};
    }

    std::unique_ptr<ByteSink> create(const std::wstring& path) override {
        if (fail_create) return nullptr;
        archives[path].clear();
        return std::make_unique<Sink>(*this, archives[path]);
    }
    std::optional<ZipSourceFile> read(const std::wstring& path) override {
        const auto it = files.find(path);
        if (it == files.end()) return std::nullopt;
        return it->second;
    }
    void remove(const std::wstring& path) override {
        EXPECT_EQ(open_sinks, 0) << "removed while still open";
        removed.push_back(path);
        archives.erase(path);
    }

private:
    class Sink final : public ByteSink {
    public:
        Sink(FakeFileSystem& fs, std::vector<std::uint8_t>& out) : fs_(fs), out_(out) { ++fs_.open_sinks; }
        ~Sink() override { --fs_.open_sinks; }
        bool write(ByteView bytes) override {
            const std::size_t room = fs_.byte_limit - std::min(fs_.byte_limit, out_.size());
            out_.insert(out_.end(), bytes.begin(), bytes.begin() + std::min(room, bytes.size()));
            return bytes.size() <= room;
        }
        bool flush() override { return !fs_.fail_flush; }

    private:
        FakeFileSystem& fs_;
        std::vector<std::uint8_t>& out_;
    };
};

const std::wstring kArchive = L"C:\\Temp\\report.zip";

TEST(ZipFiles, AllSourcesMissingGivesNoArchiveAndFalse) {
    FakeFileSystem fs;
    EXPECT_FALSE(zip_files(fs, kArchive, {L"C:\\nothing.txt", L"C:\\gone.png"}));
    EXPECT_EQ(fs.archives.count(kArchive), 0u);
    EXPECT_EQ(fs.removed, std::vector<std::wstring>{kArchive});
    EXPECT_FALSE(zip_files(fs, kArchive, {}));
    EXPECT_EQ(fs.archives.count(kArchive), 0u);
}

TEST(ZipFiles, UnreadableSourcesAreSkippedAndTheRestKeepTheirOrder) {
    FakeFileSystem fs;
    fs.add(L"C:\\a.txt", to_bytes("first"));
    fs.add(L"C:\\c.txt", to_bytes("third"));
    ASSERT_TRUE(zip_files(fs, kArchive, {L"C:\\a.txt", L"C:\\b.txt", L"C:\\c.txt"}));
    const testing::ParsedZip zip = parse_zip(fs.archives.at(kArchive));
    ASSERT_EQ(zip.error, "");
    ASSERT_EQ(zip.entries.size(), 2u);
    EXPECT_EQ(zip.entries[0].name, "a.txt");
    EXPECT_EQ(zip.entries[0].data, to_bytes("first"));
    EXPECT_EQ(zip.entries[1].name, "c.txt");
    EXPECT_EQ(zip.entries[1].data, to_bytes("third"));
    EXPECT_TRUE(fs.removed.empty());
}

TEST(ZipFiles, StoredNamesGoByPositionAndMissingOnesUseTheFileName) {
    FakeFileSystem fs;
    fs.add(L"C:\\Temp\\noxtmp\\bugreport.txt", to_bytes("report"));
    fs.add(L"C:\\Temp\\noxtmp\\screenShot.png", to_bytes("png"));
    fs.add(L"D:extra.log", to_bytes("log"));
    ASSERT_TRUE(zip_files(fs, kArchive, {L"C:\\Temp\\noxtmp\\bugreport.txt", L"C:\\Temp\\noxtmp\\screenShot.png", L"D:extra.log"},
                          {L"report.txt", L""}));
    const testing::ParsedZip zip = parse_zip(fs.archives.at(kArchive));
    ASSERT_EQ(zip.error, "");
    ASSERT_EQ(zip.entries.size(), 3u);
    EXPECT_EQ(zip.entries[0].name, "report.txt");
    EXPECT_EQ(zip.entries[1].name, "screenShot.png");
    EXPECT_EQ(zip.entries[2].name, "extra.log");
}

TEST(ZipFiles, StampAndAttributesOfEachFileAreStored) {
    FakeFileSystem fs;
    fs.add(L"a", to_bytes("x"), dos_stamp({2019, 11, 30, 8, 0, 0}), 0x21);
    fs.add(L"b", to_bytes("y"), dos_stamp({2023, 2, 1, 17, 45, 58}), 0x80);
    ASSERT_TRUE(zip_files(fs, kArchive, {L"a", L"b"}));
    const testing::ParsedZip zip = parse_zip(fs.archives.at(kArchive));
    ASSERT_EQ(zip.error, "");
    ASSERT_EQ(zip.entries.size(), 2u);
    EXPECT_EQ(zip.entries[0].date, 39 << 9 | 11 << 5 | 30);
    EXPECT_EQ(zip.entries[0].time, 8 << 11);
    EXPECT_EQ(zip.entries[0].attributes, 0x21u);
    EXPECT_EQ(zip.entries[1].date, 43 << 9 | 2 << 5 | 1);
    EXPECT_EQ(zip.entries[1].time, 17 << 11 | 45 << 5 | 29);
    EXPECT_EQ(zip.entries[1].attributes, 0x80u);
}

TEST(ZipFiles, AnyShortWriteOrFailedFlushDeletesTheArchive) {
    FakeFileSystem fs;
    fs.add(L"a", to_bytes(testing::report_text(3000)));
    fs.add(L"b", testing::random_bytes(500, 2));
    ASSERT_TRUE(zip_files(fs, kArchive, {L"a", L"b"}));
    const std::size_t full = fs.archives.at(kArchive).size();
    for (std::size_t limit = 0; limit < full; limit += (limit < 40 || full - limit < 40) ? 1 : 97) {
        fs.byte_limit = limit;
        fs.removed.clear();
        EXPECT_FALSE(zip_files(fs, kArchive, {L"a", L"b"})) << limit;
        EXPECT_EQ(fs.archives.count(kArchive), 0u) << limit;
        EXPECT_EQ(fs.removed.size(), 1u) << limit;
    }
    fs.byte_limit = full;
    EXPECT_TRUE(zip_files(fs, kArchive, {L"a", L"b"}));
    fs.fail_flush = true;
    EXPECT_FALSE(zip_files(fs, kArchive, {L"a", L"b"}));
    EXPECT_EQ(fs.archives.count(kArchive), 0u);
}

TEST(ZipFiles, ArchiveThatCannotBeCreatedGivesFalse) {
    FakeFileSystem fs;
    fs.add(L"a", to_bytes("x"));
    fs.fail_create = true;
    EXPECT_FALSE(zip_files(fs, kArchive, {L"a"}));
    EXPECT_TRUE(fs.archives.empty());
}

// Archives for the check with real unzip tools (the zip_archives_real_readers test).
void write_for_real_readers(const std::string& name, const std::vector<std::pair<std::wstring, std::vector<std::uint8_t>>>& files) {
    FakeFileSystem fs;
    std::vector<std::wstring> sources, stored;
    std::vector<testing::ExpectedEntry> expected;
    for (std::size_t i = 0; i < files.size(); ++i) {
        const std::wstring path = L"C:\\src\\" + std::to_wstring(i);
        fs.add(path, files[i].second, dos_stamp({2024, 3, 5, 14, 22, 30}));
        sources.push_back(path);
        stored.push_back(files[i].first);
        expected.push_back({utf8_from_wide(files[i].first), files[i].second});
    }
    ASSERT_TRUE(zip_files(fs, kArchive, sources, stored));
    const std::vector<std::uint8_t>& archive = fs.archives.at(kArchive);
    ASSERT_EQ(parse_zip(archive).error, "");
    testing::write_file(testing::archive_dir() + "/" + name + ".zip", archive);
    testing::write_expected(name, expected);
}

TEST(ZipArchivesForRealReaders, SingleReport) {
    write_for_real_readers("writer_bugreport", {{L"bugreport.txt", to_bytes(testing::report_text(200000))}});
}

TEST(ZipArchivesForRealReaders, NonAsciiNames) {
    write_for_real_readers("writer_names", {{L"Gr\u00f6\u00dfe-\u00e4\u00f6\u00fc.txt", to_bytes("umlauts")},
                                            {L"\u65e5\u672c\u8a9e.txt", to_bytes("kanji")},
                                            {L"\U0001F600.txt", to_bytes("outside the basic plane")}});
}

TEST(ZipArchivesForRealReaders, EmptySmallIncompressibleAndLarge) {
    write_for_real_readers("writer_sizes", {{L"empty.txt", {}},
                                            {L"one.txt", {'1'}},
                                            {L"random.bin", testing::random_bytes(100000, 5)},
                                            {L"zeros.bin", std::vector<std::uint8_t>(1 << 20, 0)},
                                            {L"large.txt", to_bytes(testing::report_text(6 << 20))}});
}

}  // namespace
}  // namespace roadsum
