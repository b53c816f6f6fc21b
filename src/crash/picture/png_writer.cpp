#include "crash/picture/png_writer.h"

#include <algorithm>

#include "crash/archive/crc32.h"
#include "crash/archive/deflate.h"

namespace roadsum {
namespace {

void put_be32(std::string& out, std::uint32_t v) {
    out += static_cast<char>(v >> 24);
    out += static_cast<char>(v >> 16);
    out += static_cast<char>(v >> 8);
    out += static_cast<char>(v);
}

// Length, type, data and the CRC-32 over type and data.
void put_chunk(std::string& out, const char (&type)[5], std::string_view data) {
    put_be32(out, static_cast<std::uint32_t>(data.size()));
    const std::size_t start = out.size();
    out.append(type, 4);
    out.append(data);
    put_be32(out, crc32(bytes_of(std::string_view(out).substr(start))));
}

// The rows as the image data holds them: a filter byte, then the packed indices.
std::string raw_rows(const IndexedImage& image, int depth) {
    const std::size_t width = static_cast<std::size_t>(image.width);
    const std::size_t row_bytes = depth == 8 ? width : (width + 1) / 2;
    std::string rows;
    rows.reserve((row_bytes + 1) * static_cast<std::size_t>(image.height));
    const std::uint8_t* index = image.indices.data();
    for (int y = 0; y < image.height; ++y, index += width) {
        rows += '\0';
        if (depth == 8) {
            rows.append(reinterpret_cast<const char*>(index), width);
        } else {
            for (std::size_t x = 0; x < width; x += 2) {
                const unsigned high = index[x], low = x + 1 < width ? index[x + 1] : 0;
                rows += static_cast<char>(high << 4 | low);
            }
        }
    }
    return rows;
}

}  // namespace

std::uint32_t adler32(ByteView bytes, std::uint32_t adler) {
    constexpr std::uint32_t kBase = 65521;
    constexpr std::size_t kRun = 5552;  // the longest run whose sums cannot overflow 32 bits
    std::uint32_t a = adler & 0xFFFF, b = adler >> 16;
    while (!bytes.empty()) {
        const std::size_t n = std::min(bytes.size(), kRun);
        for (std::uint8_t byte : bytes.first(n)) {
            a += byte;
            b += a;
        }
        a %= kBase;
        b %= kBase;
        bytes = bytes.subspan(n);
    }
    return b << 16 | a;
}

std::string write_indexed_png(const IndexedImage& image) {
    const std::size_t count = image.palette.size();
    if (image.width <= 0 || image.height <= 0 || count == 0 || count > 256 ||
        image.indices.size() != static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height))
        return {};
    if (std::any_of(image.indices.begin(), image.indices.end(), [&](std::uint8_t i) { return i >= count; })) return {};
    const int depth = count > 16 ? 8 : 4;

    const std::string rows = raw_rows(image, depth);
    const std::size_t bound = compress_bound(rows.size());
    if (bound == 0) return {};
    std::string idat = "\x78\x01";
    idat.resize(2 + bound);
    const std::int64_t packed =
        compress_raw(bytes_of(rows), MutableByteView(reinterpret_cast<std::uint8_t*>(idat.data()) + 2, bound));
    if (packed < 0) return {};
    idat.resize(2 + static_cast<std::size_t>(packed));
    put_be32(idat, adler32(bytes_of(rows)));

    std::string ihdr;
    put_be32(ihdr, static_cast<std::uint32_t>(image.width));
    put_be32(ihdr, static_cast<std::uint32_t>(image.height));
    ihdr += static_cast<char>(depth);
    ihdr.append("\x03\x00\x00\x00", 4);  // palette colour; deflate, filter method 0, no interlace

    std::string plte;
    for (std::uint32_t c : image.palette) {
        plte += static_cast<char>(red_of(c));
        plte += static_cast<char>(green_of(c));
        plte += static_cast<char>(blue_of(c));
    }

    std::string png("\x89PNG\r\n\x1A\n", 8);
    put_chunk(png, "IHDR", ihdr);
    put_chunk(png, "PLTE", plte);
    put_chunk(png, "IDAT", idat);
    put_chunk(png, "IEND", {});
    return png;
}

}  // namespace roadsum
