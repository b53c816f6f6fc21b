#include "crash/archive/zip_win32.h"

#include <gtest/gtest.h>

#include "crash/common/scoped_handle_win32.h"
#include "win32_test_files.h"
#include "zip_test_support.h"

namespace roadsum {
namespace {

using namespace roadsum::testing;

std::wstring archive_path(const std::string& name) {
    return std::wstring(L"zip_archives\\") + std::wstring(name.begin(), name.end()) + L".zip";
}

testing::ParsedZip parse_archive(const std::wstring& path) {
    const std::vector<std::uint8_t> bytes = read_wide_file(path);
    return parse_zip(bytes);
}

TEST(ZipWin32, RealFilesKeepTheirLocalTimesAndAttributes) {
    archive_dir();
    const std::wstring dir = scratch_dir(L"times");
    const std::wstring report = dir + L"\\bugreport.txt", shot = dir + L"\\screenShot.png";
    const std::vector<std::uint8_t> report_bytes = to_bytes(report_text(50000)), shot_bytes = random_bytes(20000, 4);
    write_wide_file(report, report_bytes);
    write_wide_file(shot, shot_bytes);
    set_local_write_time(report, {2021, 6, 2, 15, 10, 20, 31, 0});  // summer
    set_local_write_time(shot, {2003, 1, 4, 2, 3, 4, 5, 0});        // winter
    ASSERT_TRUE(SetFileAttributesW(shot.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE));

    const std::wstring archive = archive_path("win32_real_files");
    ASSERT_TRUE(zip_files(archive, {report, shot}, {L"", L"shot.png"}));
    const ParsedZip zip = parse_archive(archive);
    ASSERT_EQ(zip.error, "");
    ASSERT_EQ(zip.entries.size(), 2u);
    EXPECT_EQ(zip.entries[0].name, "bugreport.txt");
    EXPECT_EQ(zip.entries[0].time, 10 << 11 | 20 << 5 | 15);
    EXPECT_EQ(zip.entries[0].date, 41 << 9 | 6 << 5 | 15);
    EXPECT_EQ(zip.entries[0].attributes, GetFileAttributesW(report.c_str()));
    EXPECT_EQ(zip.entries[1].name, "shot.png");
    EXPECT_EQ(zip.entries[1].time, 3 << 11 | 4 << 5 | 2);
    EXPECT_EQ(zip.entries[1].date, 23 << 9 | 1 << 5 | 2);
    EXPECT_EQ(zip.entries[1].attributes, GetFileAttributesW(shot.c_str()));
    EXPECT_TRUE(zip.entries[1].attributes & FILE_ATTRIBUTE_READONLY);
    SetFileAttributesW(shot.c_str(), FILE_ATTRIBUTE_NORMAL);
    write_expected("win32_real_files", {{"bugreport.txt", report_bytes}, {"shot.png", shot_bytes}});
}

TEST(ZipWin32, UnreadableSourcesAreSkipped) {
    archive_dir();
    const std::wstring dir = scratch_dir(L"skipped");
    const std::wstring locked = dir + L"\\locked.txt", good = dir + L"\\good.txt", folder = dir + L"\\folder";
    write_wide_file(locked, to_bytes("held without sharing"));
    write_wide_file(good, to_bytes("readable"));
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    const ScopedFile holder(CreateFileW(locked.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(holder.valid());

    const std::wstring archive = archive_path("win32_skipped_sources");
    ASSERT_TRUE(zip_files(archive, {locked, folder, good, dir + L"\\missing.txt"}));
    const ParsedZip zip = parse_archive(archive);
    ASSERT_EQ(zip.error, "");
    ASSERT_EQ(zip.entries.size(), 1u);
    EXPECT_EQ(zip.entries[0].name, "good.txt");
    write_expected("win32_skipped_sources", {{"good.txt", to_bytes("readable")}});
}

// The report file may still be open in the program's own writer when it is packed.
TEST(ZipWin32, FileOpenForWritingElsewhereIsPacked) {
    const std::wstring dir = scratch_dir(L"shared");
    const std::wstring report = dir + L"\\bugreport.txt", archive = dir + L"\\report.zip";
    write_wide_file(report, to_bytes("being written"));
    const ScopedFile writer(CreateFileW(report.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(writer.valid());
    ASSERT_TRUE(zip_files(archive, {report}));
    const ParsedZip zip = parse_archive(archive);
    ASSERT_EQ(zip.error, "");
    ASSERT_EQ(zip.entries.size(), 1u);
    EXPECT_EQ(zip.entries[0].data, to_bytes("being written"));
}

TEST(ZipWin32, AllSourcesMissingLeavesNoArchive) {
    const std::wstring dir = scratch_dir(L"missing");
    const std::wstring archive = dir + L"\\old.zip";
    write_wide_file(archive, to_bytes("an archive of an earlier send"));
    EXPECT_FALSE(zip_files(archive, {dir + L"\\a.txt", dir + L"\\b.txt"}));
    EXPECT_FALSE(file_exists(archive));
    EXPECT_FALSE(zip_files(dir + L"\\no such folder\\x.zip", {archive}));
}

// Real files, with writes that stop once the archive reached a given size.
class CuttingFileSystem final : public ZipFileSystem {
public:
    explicit CuttingFileSystem(std::size_t limit) : limit_(limit) {}
    std::unique_ptr<ByteSink> create(const std::wstring& path) override {
        std::unique_ptr<ByteSink> real = real_.create(path);
        return real ? std::make_unique<Sink>(std::move(real), limit_) : nullptr;
    }
    std::optional<ZipSourceFile> read(const std::wstring& path) override { return real_.read(path); }
    void remove(const std::wstring& path) override { real_.remove(path); }

private:
    class Sink final : public ByteSink {
    public:
        Sink(std::unique_ptr<ByteSink> real, std::size_t room) : real_(std::move(real)), room_(room) {}
        bool write(ByteView bytes) override {
            const std::size_t take = std::min(room_, bytes.size());
            room_ -= take;
            return real_->write(bytes.first(take)) && take == bytes.size();
        }
        bool flush() override { return real_->flush(); }

    private:
        std::unique_ptr<ByteSink> real_;
        std::size_t room_;
    };
    Win32ZipFileSystem real_;
    std::size_t limit_;
};

TEST(ZipWin32, FailedWriteDeletesTheArchive) {
    const std::wstring dir = scratch_dir(L"cut");
    const std::wstring source = dir + L"\\bugreport.txt", archive = dir + L"\\report.zip";
    write_wide_file(source, to_bytes(report_text(30000)));
    for (std::size_t limit : {0, 20, 100, 2000}) {
        CuttingFileSystem fs(limit);
        EXPECT_FALSE(zip_files(fs, archive, {source, source})) << limit;
        EXPECT_FALSE(file_exists(archive)) << limit;
    }
    CuttingFileSystem roomy(1 << 20);
    EXPECT_TRUE(zip_files(roomy, archive, {source}));
    EXPECT_TRUE(file_exists(archive));
}

TEST(ZipWin32, WideFileNamesAreStoredAsUtf8) {
    archive_dir();
    const std::wstring dir = scratch_dir(L"wide");
    const std::wstring name = L"Gr\u00f6\u00dfe-\u65e5\u672c.txt";
    write_wide_file(dir + L"\\" + name, to_bytes("wide"));
    const std::wstring archive = archive_path("win32_wide_names");
    ASSERT_TRUE(zip_files(archive, {dir + L"\\" + name}));
    const ParsedZip zip = parse_archive(archive);
    ASSERT_EQ(zip.error, "");
    ASSERT_EQ(zip.entries.size(), 1u);
    EXPECT_EQ(zip.entries[0].name, "Gr\xC3\xB6\xC3\x9F" "e-\xE6\x97\xA5\xE6\x9C\xAC.txt");
    EXPECT_EQ(zip.entries[0].flags, 0x0800);
    write_expected("win32_wide_names", {{zip.entries[0].name, to_bytes("wide")}});
}

}  // namespace
}  // namespace roadsum
