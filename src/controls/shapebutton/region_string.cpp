#include "controls/shapebutton/region_string.h"

#include <algorithm>

namespace roadsum {
namespace {

constexpr std::size_t kHeaderSize = 32;
constexpr std::size_t kRectSize = 16;
constexpr std::uint32_t kRectangles = 1;
constexpr char kEscape = '!';

std::uint32_t load32(std::span<const std::uint8_t> data, std::size_t at) {
    return static_cast<std::uint32_t>(data[at]) | static_cast<std::uint32_t>(data[at + 1]) << 8 |
           static_cast<std::uint32_t>(data[at + 2]) << 16 | static_cast<std::uint32_t>(data[at + 3]) << 24;
}

void store32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<std::uint8_t>(v >> shift));
}

}  // namespace

std::vector<std::uint8_t> DecodeRegionString(std::string_view text) {
    std::vector<std::uint8_t> bytes;
    bytes.reserve(text.size() / 2);
    for (std::size_t i = 0; i + 1 < text.size(); i += 2) {
        const auto first = static_cast<std::uint8_t>(text[i]), second = static_cast<std::uint8_t>(text[i + 1]);
        bytes.push_back(first == kEscape ? static_cast<std::uint8_t>(second - 128) : first);
    }
    return bytes;
}

std::string EncodeRegionString(std::span<const std::uint8_t> bytes) {
    std::string text;
    text.reserve(bytes.size() * 2);
    for (const std::uint8_t b : bytes) {
        if (b > ' ' && b < 127 && b != kEscape) {
            text += static_cast<char>(b);
            text += static_cast<char>(b);
        } else {
            text += kEscape;
            text += static_cast<char>(static_cast<std::uint8_t>(b + 128));
        }
    }
    return text;
}

std::optional<std::vector<Rect>> ParseRegionData(std::span<const std::uint8_t> data) {
    if (data.size() < kHeaderSize) return std::nullopt;
    if (load32(data, 0) != kHeaderSize || load32(data, 4) != kRectangles) return std::nullopt;
    const std::uint32_t count = load32(data, 8);
    if (count > (data.size() - kHeaderSize) / kRectSize) return std::nullopt;
    std::vector<Rect> rects;
    rects.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t at = kHeaderSize + i * kRectSize;
        const Rect r{static_cast<std::int32_t>(load32(data, at)), static_cast<std::int32_t>(load32(data, at + 4)),
                     static_cast<std::int32_t>(load32(data, at + 8)), static_cast<std::int32_t>(load32(data, at + 12))};
        if (r.left < r.right && r.top < r.bottom) rects.push_back(r);
    }
    return rects;
}

std::vector<std::uint8_t> RegionData(std::span<const Rect> rects) {
    Rect box{};
    for (std::size_t i = 0; i < rects.size(); ++i) {
        const Rect& r = rects[i];
        box = i == 0 ? r
                     : Rect{std::min(box.left, r.left), std::min(box.top, r.top), std::max(box.right, r.right),
                            std::max(box.bottom, r.bottom)};
    }
    std::vector<std::uint8_t> out;
    out.reserve(kHeaderSize + rects.size() * kRectSize);
    store32(out, kHeaderSize);
    store32(out, kRectangles);
    store32(out, static_cast<std::uint32_t>(rects.size()));
    store32(out, static_cast<std::uint32_t>(rects.size() * kRectSize));
    for (const std::int32_t v : {box.left, box.top, box.right, box.bottom}) store32(out, static_cast<std::uint32_t>(v));
    for (const Rect& r : rects)
        for (const std::int32_t v : {r.left, r.top, r.right, r.bottom}) store32(out, static_cast<std::uint32_t>(v));
    return out;
}

}  // namespace roadsum
