#include "ico_file.h"

#include <algorithm>
#include <map>

#include "crash/common/little_endian.h"

namespace roadsum::art {
namespace {

bool opaque(std::uint32_t argb) { return (argb >> 24) >= 128; }

int channel_distance(std::uint32_t a, std::uint32_t b) {
    int dr = int((a >> 16) & 0xFF) - int((b >> 16) & 0xFF);
    int dg = int((a >> 8) & 0xFF) - int((b >> 8) & 0xFF);
    int db = int(a & 0xFF) - int(b & 0xFF);
    return dr * dr + dg * dg + db * db;
}

// One image as the icon resource holds it: a header of twice the height (colour rows, then
// the mask), the palette, the colour rows and the mask rows, both bottom-up.
std::vector<std::uint8_t> image_data(const IconImage& image, IconDepth depth) {
    const int n = image.size;
    const int bits = depth == IconDepth::Argb32 ? 32 : 8;
    const std::size_t colour_stride = ((n * bits + 31) / 32) * 4, mask_stride = ((n + 31) / 32) * 4;
    std::vector<std::uint8_t> out;
    append_le32(out, 40);
    append_le32(out, n);
    append_le32(out, 2 * n);
    append_le16(out, 1);
    append_le16(out, bits);
    append_le32(out, 0);
    append_le32(out, static_cast<std::uint32_t>((colour_stride + mask_stride) * n));
    append_le32(out, 0);
    append_le32(out, 0);
    append_le32(out, bits == 8 ? 256 : 0);
    append_le32(out, 0);
    Palettised palettised;
    if (bits == 8) {
        palettised = palettise(image.pixels);
        for (int i = 0; i < 256; ++i) {
            std::uint32_t c = i < static_cast<int>(palettised.palette.size()) ? palettised.palette[i] : 0;
            append_le32(out, c & 0xFFFFFF);  // blue, green, red, zero
        }
    }
    for (int y = n - 1; y >= 0; --y) {
        std::size_t row_start = out.size();
        for (int x = 0; x < n; ++x) {
            std::size_t i = static_cast<std::size_t>(y) * n + x;
            if (bits == 32)
                append_le32(out, image.pixels[i]);
            else
                out.push_back(palettised.indexes[i]);
        }
        out.resize(row_start + colour_stride, 0);
    }
    for (int y = n - 1; y >= 0; --y) {
        std::vector<std::uint8_t> row(mask_stride, 0);
        for (int x = 0; x < n; ++x)
            if (!opaque(image.pixels[static_cast<std::size_t>(y) * n + x])) row[x / 8] |= 0x80 >> (x % 8);
        out.insert(out.end(), row.begin(), row.end());
    }
    return out;
}

}  // namespace

Palettised palettise(const std::vector<std::uint32_t>& pixels) {
    // The most frequent colours of the opaque pixels, counted on a 6-bit grid per channel,
    // after index 0 for the transparent ones.
    std::map<std::uint32_t, int> counts;
    auto grid = [](std::uint32_t c) { return c & 0xFCFCFC; };
    for (std::uint32_t p : pixels)
        if (opaque(p)) ++counts[grid(p)];
    std::vector<std::pair<int, std::uint32_t>> ranked;
    for (auto [colour, count] : counts) ranked.emplace_back(count, colour);
    std::stable_sort(ranked.begin(), ranked.end(), [](auto& a, auto& b) { return a.first > b.first; });
    Palettised out;
    out.palette.push_back(0);
    for (std::size_t i = 0; i < ranked.size() && out.palette.size() < 256; ++i) out.palette.push_back(ranked[i].second);
    out.indexes.reserve(pixels.size());
    for (std::uint32_t p : pixels) {
        if (!opaque(p)) {
            out.indexes.push_back(0);
            continue;
        }
        std::size_t best = 1;
        for (std::size_t i = 2; i < out.palette.size(); ++i)
            if (channel_distance(out.palette[i], p) < channel_distance(out.palette[best], p)) best = i;
        out.indexes.push_back(static_cast<std::uint8_t>(best));
    }
    return out;
}

std::vector<std::uint8_t> ico_file(const std::vector<std::pair<IconImage, IconDepth>>& images) {
    std::vector<std::vector<std::uint8_t>> data;
    for (auto& [image, depth] : images) data.push_back(image_data(image, depth));
    std::vector<std::uint8_t> out;
    append_le16(out, 0);
    append_le16(out, 1);  // an icon
    append_le16(out, static_cast<unsigned>(images.size()));
    std::uint32_t offset = static_cast<std::uint32_t>(6 + 16 * images.size());
    for (std::size_t i = 0; i < images.size(); ++i) {
        const int n = images[i].first.size;
        out.push_back(n >= 256 ? 0 : n);
        out.push_back(n >= 256 ? 0 : n);
        out.push_back(0);  // colour count: 0 stands for 256 or more
        out.push_back(0);
        append_le16(out, 1);
        append_le16(out, images[i].second == IconDepth::Argb32 ? 32 : 8);
        append_le32(out, static_cast<std::uint32_t>(data[i].size()));
        append_le32(out, offset);
        offset += static_cast<std::uint32_t>(data[i].size());
    }
    for (auto& d : data) out.insert(out.end(), d.begin(), d.end());
    return out;
}

}  // namespace roadsum::art
