#include "zip_test_support.h"

#include <zlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

#include "crash/common/little_endian.h"

namespace roadsum::testing {

std::vector<std::uint8_t> random_bytes(std::size_t size, std::uint32_t seed) {
    std::mt19937 gen(seed);
    std::vector<std::uint8_t> bytes(size);
    for (auto& b : bytes) b = static_cast<std::uint8_t>(gen());
    return bytes;
}

std::string report_text(std::size_t size) {
    static const char* const lines[] = {
        "date/time          : 2024-03-05, 14:22:31, 118ms\r\n",
        "exception class    : EConvertError\r\n",
        "exception message  : '12,x' is not a valid floating point value.\r\n",
        "main thread ($a3c):\r\n",
        "004a1f2c +014 Roadsum.exe RoadsumFrm  212 +3 TRoadsumFrm.PricelistBtnClick\r\n",
        "0045b9e1 +071 Roadsum.exe Controls        TControl.Click\r\n",
        "7c80b729 +037 kernel32.dll                BaseThreadInitThunk\r\n",
        "eax = 00000000  ebx = 0012f5d8  ecx = 7c91005d  edx = 00000002\r\n",
    };
    std::string text;
    text.reserve(size + 100);
    unsigned n = 0;
    while (text.size() < size) {
        text += lines[n % std::size(lines)];
        text += std::to_string(n++);  // no two lines quite alike, as in a real report
        text += "\r\n";
    }
    text.resize(size);
    return text;
}

std::vector<std::uint8_t> to_bytes(std::string_view text) { return {text.begin(), text.end()}; }

std::vector<std::uint8_t> zlib_inflate(ByteView stream, bool* ok) {
    z_stream z{};
    *ok = false;
    std::vector<std::uint8_t> out;
    if (inflateInit2(&z, -15) != Z_OK) return out;
    z.next_in = const_cast<Bytef*>(stream.data());
    z.avail_in = static_cast<uInt>(stream.size());
    std::uint8_t buffer[65536];
    int rc = Z_OK;
    while (rc == Z_OK) {
        z.next_out = buffer;
        z.avail_out = sizeof buffer;
        rc = inflate(&z, Z_NO_FLUSH);
        out.insert(out.end(), buffer, buffer + (sizeof buffer - z.avail_out));
    }
    *ok = rc == Z_STREAM_END && z.avail_in == 0;
    inflateEnd(&z);
    return out;
}

namespace {

constexpr std::size_t kLocal = 30, kCentral = 46, kEnd = 22;

std::string parse_into(ByteView a, ParsedZip& zip) {
    if (a.size() < kEnd) return "shorter than an end record";
    const std::uint8_t* end = a.data() + a.size() - kEnd;
    if (get_le32(end) != 0x06054B50) return "no end record at the end";
    if (get_le16(end + 4) != 0 || get_le16(end + 6) != 0) return "disk numbers not 0";
    const std::uint16_t count = get_le16(end + 8);
    if (get_le16(end + 10) != count) return "entry counts differ";
    zip.central_size = get_le32(end + 12);
    zip.central_offset = get_le32(end + 16);
    if (get_le16(end + 20) != 0) return "comment length not 0";
    if (std::uint64_t(zip.central_offset) + zip.central_size + kEnd != a.size()) return "central directory misplaced";

    std::size_t at = zip.central_offset;
    std::size_t next_local = 0;
    for (unsigned i = 0; i < count; ++i) {
        if (at + kCentral > zip.central_offset + zip.central_size) return "central directory too short";
        const std::uint8_t* c = a.data() + at;
        if (get_le32(c) != 0x02014B50) return "bad central signature";
        ZipRecord r;
        r.version_made = get_le16(c + 4);
        r.version_needed = get_le16(c + 6);
        r.flags = get_le16(c + 8);
        r.method = get_le16(c + 10);
        r.time = get_le16(c + 12);
        r.date = get_le16(c + 14);
        r.crc = get_le32(c + 16);
        r.packed_size = get_le32(c + 20);
        r.size = get_le32(c + 24);
        const std::uint16_t name_size = get_le16(c + 28);
        if (get_le16(c + 30) || get_le16(c + 32) || get_le16(c + 34) || get_le16(c + 36))
            return "extra, comment, disk or internal attributes not 0";
        r.attributes = get_le32(c + 38);
        r.local_offset = get_le32(c + 42);
        if (at + kCentral + name_size > zip.central_offset + zip.central_size) return "central name overruns";
        r.name.assign(reinterpret_cast<const char*>(c + kCentral), name_size);
        at += kCentral + name_size;

        if (r.local_offset != next_local) return "entry " + std::to_string(i) + " not right after the previous";
        if (r.local_offset + kLocal + name_size > zip.central_offset) return "local header overruns";
        const std::uint8_t* l = a.data() + r.local_offset;
        if (get_le32(l) != 0x04034B50) return "bad local signature";
        if (!std::equal(l + 4, l + 28, c + 6)) return "local header differs from central entry";
        if (get_le16(l + 28) != 0) return "local extra length not 0";
        if (!std::equal(l + kLocal, l + kLocal + name_size, c + kCentral)) return "local name differs";
        const std::size_t data_at = r.local_offset + kLocal + name_size;
        if (data_at + r.packed_size > zip.central_offset) return "data overruns";
        bool ok = false;
        r.data = zlib_inflate(a.subspan(data_at, r.packed_size), &ok);
        if (!ok) return "data of entry " + std::to_string(i) + " does not inflate";
        if (r.data.size() != r.size) return "inflated size differs";
        if (::crc32(0, r.data.data(), static_cast<uInt>(r.data.size())) != r.crc) return "crc differs";
        next_local = data_at + r.packed_size;
        zip.entries.push_back(std::move(r));
    }
    if (next_local != zip.central_offset) return "bytes between the last entry and the central directory";
    if (at != std::size_t(zip.central_offset) + zip.central_size) return "central directory size wrong";
    return {};
}

}  // namespace

ParsedZip parse_zip(ByteView archive) {
    ParsedZip zip;
    zip.error = parse_into(archive, zip);
    return zip;
}

std::string archive_dir() {
    // A path of the build tree, so that a test program run by hand from elsewhere writes there too.
    std::filesystem::create_directories(ROADSUM_ZIP_ARCHIVE_DIR);
    return ROADSUM_ZIP_ARCHIVE_DIR;
}

void write_expected(const std::string& name, const std::vector<ExpectedEntry>& entries) {
    const std::filesystem::path dir = std::filesystem::path(archive_dir()) / (name + ".expected");
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    std::string names;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        names += entries[i].name + "\n";
        write_file((dir / std::to_string(i + 1)).string(), entries[i].data);
    }
    write_file((dir / "names.txt").string(), bytes_of(names));
}

std::vector<std::uint8_t> read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void write_file(const std::string& path, ByteView bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path);
}

}  // namespace roadsum::testing
