// Shared by the compression tests: test data, an independent reader of the archives the writer
// makes, and the hand-over of written archives to the check with real unzip tools.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "crash/common/byte_view.h"

namespace roadsum::testing {

std::vector<std::uint8_t> random_bytes(std::size_t size, std::uint32_t seed);
// Text that looks like a bug report, so it compresses as reports do.
std::string report_text(std::size_t size);
std::vector<std::uint8_t> to_bytes(std::string_view text);

// Raw inflate by zlib directly, so the routines under test are not their own judge.
std::vector<std::uint8_t> zlib_inflate(ByteView stream, bool* ok);

struct ZipRecord {
    std::uint16_t version_made = 0;
    std::uint16_t version_needed = 0;
    std::uint16_t flags = 0;
    std::uint16_t method = 0;
    std::uint16_t time = 0;
    std::uint16_t date = 0;
    std::uint32_t crc = 0;
    std::uint32_t packed_size = 0;
    std::uint32_t size = 0;
    std::uint32_t attributes = 0;
    std::uint32_t local_offset = 0;
    std::string name;
    std::vector<std::uint8_t> data;  // inflated
};

struct ParsedZip {
    std::string error;  // empty when the archive is sound
    std::vector<ZipRecord> entries;
    std::uint32_t central_offset = 0;
    std::uint32_t central_size = 0;
};

// Reads an archive from its end record; checks that every local header repeats its central
// entry, that entries lie back to back in order, that the data inflates to the stated size
// and crc, and that nothing is left over.
ParsedZip parse_zip(ByteView archive);

// Folder in the build tree that the checker with real unzip tools reads.
std::string archive_dir();

// Writes, beside archive_dir()/<name>.zip, what its entries must hold, in archive order:
// <name>.expected/names.txt (UTF-8, one name a line) and the contents as files 1, 2, ...
struct ExpectedEntry {
    std::string name;
    std::vector<std::uint8_t> data;
};
void write_expected(const std::string& name, const std::vector<ExpectedEntry>& entries);

std::vector<std::uint8_t> read_file(const std::string& path);
void write_file(const std::string& path, ByteView bytes);

}  // namespace roadsum::testing
