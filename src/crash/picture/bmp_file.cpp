#include "crash/picture/bmp_file.h"

#include <bit>
#include <new>

#include "crash/common/little_endian.h"

namespace roadsum {
namespace {

constexpr std::size_t kFileHeader = 14;
constexpr std::size_t kInfoHeader = 40;
constexpr std::uint32_t kPixelsPerMetre = 3780;  // 96 dots per inch

BmpReadResult refuse(std::string reason) { return {std::nullopt, std::move(reason)}; }

// One channel of a bit-field mask, scaled to 8 bits.
struct Channel {
    unsigned shift = 0;
    unsigned bits = 0;
    std::uint32_t mask = 0;
    static std::optional<Channel> of(std::uint32_t mask) {
        if (mask == 0) return Channel{};
        Channel c{static_cast<unsigned>(std::countr_zero(mask)), static_cast<unsigned>(std::popcount(mask)), mask};
        if ((mask >> c.shift) != (c.bits == 32 ? 0xFFFFFFFFu : (1u << c.bits) - 1)) return std::nullopt;  // gaps
        return c;
    }
    unsigned value(std::uint32_t pixel) const {
        if (bits == 0) return 0;
        const std::uint32_t v = (pixel & mask) >> shift;
        if (bits >= 8) return v >> (bits - 8);
        return v * 255 / ((1u << bits) - 1);
    }
};

}  // namespace

std::string write_bmp(const PixelImage& image) {
    if (image.empty()) return {};
    const std::size_t stride = (static_cast<std::size_t>(image.width) * 3 + 3) & ~std::size_t{3};
    const std::size_t data = stride * static_cast<std::size_t>(image.height);
    std::string out;
    out.reserve(kFileHeader + kInfoHeader + data);
    out += "BM";
    out += le32_bytes(static_cast<std::uint32_t>(kFileHeader + kInfoHeader + data));
    out += le32_bytes(0);
    out += le32_bytes(kFileHeader + kInfoHeader);
    out += le32_bytes(kInfoHeader);
    out += le32_bytes(static_cast<std::uint32_t>(image.width));
    out += le32_bytes(static_cast<std::uint32_t>(image.height));
    out += le16_bytes(1);   // planes
    out += le16_bytes(24);  // bits per pixel
    out += le32_bytes(0);   // uncompressed
    out += le32_bytes(static_cast<std::uint32_t>(data));
    out += le32_bytes(kPixelsPerMetre);
    out += le32_bytes(kPixelsPerMetre);
    out += le32_bytes(0);
    out += le32_bytes(0);
    for (int y = image.height - 1; y >= 0; --y) {
        const std::uint32_t* row = image.row(y);
        for (int x = 0; x < image.width; ++x) {
            out += static_cast<char>(blue_of(row[x]));
            out += static_cast<char>(green_of(row[x]));
            out += static_cast<char>(red_of(row[x]));
        }
        out.append(stride - static_cast<std::size_t>(image.width) * 3, '\0');
    }
    return out;
}

BmpReadResult read_bmp(ByteView file) {
    if (file.size() < 2 || file[0] != 'B' || file[1] != 'M') return refuse("not a BMP file");
    if (file.size() < kFileHeader + 4) return refuse("the BMP file is cut short in its header");
    const std::uint32_t offset = get_le32(file.data() + 10);
    const std::uint32_t header = get_le32(file.data() + 14);
    if (header == 12) return refuse("OS/2 bitmaps are not read, only Windows bitmaps");
    if (header < kInfoHeader || header > 1024) return refuse("not a BMP file (info header of " + std::to_string(header) + " bytes)");
    if (file.size() < kFileHeader + header) return refuse("the BMP file is cut short in its header");
    const std::uint8_t* h = file.data() + kFileHeader;
    const std::int32_t width = static_cast<std::int32_t>(get_le32(h + 4));
    const std::int32_t raw_height = static_cast<std::int32_t>(get_le32(h + 8));
    const unsigned bits = get_le16(h + 14);
    const std::uint32_t compression = get_le32(h + 16);

    if (bits != 24 && bits != 32)
        return refuse("a " + std::to_string(bits) + "-bit BMP; only 24- and 32-bit files are read");
    if (compression != 0 && !(compression == 3 && bits == 32))
        return refuse("a compressed BMP (compression " + std::to_string(compression) + ") is not read");
    if (width <= 0 || raw_height == 0 || raw_height == INT32_MIN)
        return refuse("the BMP has no pixels (" + std::to_string(width) + " x " + std::to_string(raw_height) + ")");
    const bool top_down = raw_height < 0;
    const std::int32_t height = top_down ? -raw_height : raw_height;
    if (width > kMaxBmpSide || height > kMaxBmpSide || static_cast<long long>(width) * height > kMaxBmpPixels)
        return refuse("the BMP is too large (" + std::to_string(width) + " x " + std::to_string(height) + ")");

    Channel red{16, 8, 0xFF0000}, green{8, 8, 0xFF00}, blue{0, 8, 0xFF};
    if (compression == 3) {
        // The masks follow a 40-byte header, or stand inside a larger one.
        if (file.size() < kFileHeader + kInfoHeader + 12) return refuse("the BMP file is cut short in its masks");
        const std::uint8_t* m = h + kInfoHeader;
        auto r = Channel::of(get_le32(m)), g = Channel::of(get_le32(m + 4)), b = Channel::of(get_le32(m + 8));
        if (!r || !g || !b) return refuse("the BMP's colour masks are not contiguous");
        red = *r, green = *g, blue = *b;
    }

    const std::size_t bytes_per_pixel = bits / 8;
    const std::size_t stride = (static_cast<std::size_t>(width) * bytes_per_pixel + 3) & ~std::size_t{3};
    const std::size_t needed = stride * static_cast<std::size_t>(height);
    if (offset < kFileHeader + header || offset > file.size() || file.size() - offset < needed)
        return refuse("the BMP file is cut short in its pixels");

    try {
        PixelImage image(width, height);
        for (std::int32_t y = 0; y < height; ++y) {
            const std::uint8_t* src = file.data() + offset + stride * static_cast<std::size_t>(top_down ? y : height - 1 - y);
            std::uint32_t* dst = image.row(y);
            for (std::int32_t x = 0; x < width; ++x, src += bytes_per_pixel) {
                if (bits == 24) {
                    dst[x] = rgb_pixel(src[2], src[1], src[0]);
                } else {
                    const std::uint32_t p = get_le32(src);
                    dst[x] = rgb_pixel(red.value(p), green.value(p), blue.value(p));
                }
            }
        }
        return {std::move(image), {}};
    } catch (const std::bad_alloc&) {
        return refuse("not enough memory for the BMP's pixels");
    }
}

}  // namespace roadsum
