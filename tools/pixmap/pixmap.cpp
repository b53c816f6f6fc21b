#include "pixmap.h"

#include <map>
#include <sstream>

#include "crash/common/little_endian.h"

namespace roadsum {
Pixmap parse_pixmap(const std::string& text) {
    std::istringstream in(text);
    std::string line;
    int number = 0;
    auto fail = [&](const std::string& why) { throw PixmapError("line " + std::to_string(number) + ": " + why); };
    enum { kHeader, kColours, kPixels } part = kHeader;
    Pixmap p;
    std::map<char, std::uint32_t> colours;
    int row = 0;
    while (std::getline(in, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (part != kPixels && (line.empty() || line[0] == ';')) continue;
        if (part == kHeader) {
            std::istringstream words(line);
            std::string keyword;
            if (!(words >> keyword >> p.width >> p.height) || keyword != "pixmap") fail("expected 'pixmap WIDTH HEIGHT'");
            if (p.width < 1 || p.height < 1 || p.width > 1024 || p.height > 1024) fail("size out of range");
            part = kColours;
        } else if (part == kColours) {
            if (line == "pixels") {
                part = kPixels;
                continue;
            }
            if (line.size() != 8 || line[1] != ' ') fail("expected 'C RRGGBB'");
            std::size_t used = 0;
            std::uint32_t colour = 0;
            try {
                colour = static_cast<std::uint32_t>(std::stoul(line.substr(2), &used, 16));
            } catch (const std::exception&) {
                used = 0;
            }
            if (used != 6) fail("bad colour");
            if (!colours.emplace(line[0], colour).second) fail("colour character given twice");
        } else {
            if (row == p.height) {
                if (line.empty() || line[0] == ';') continue;
                fail("more rows than the height");
            }
            if (static_cast<int>(line.size()) != p.width) fail("row is not WIDTH characters long");
            for (char c : line) {
                auto it = colours.find(c);
                if (it == colours.end()) fail(std::string("unknown colour character '") + c + "'");
                p.pixels.push_back(it->second);
            }
            ++row;
        }
    }
    if (part != kPixels || row != p.height) fail("fewer rows than the height");
    return p;
}

std::vector<std::uint8_t> bmp_file(const Pixmap& p) {
    const std::uint32_t stride = (p.width * 3 + 3) & ~3u;
    const std::uint32_t image = stride * p.height;
    std::vector<std::uint8_t> out;
    out.reserve(54 + image);
    out.push_back('B');
    out.push_back('M');
    append_le32(out, 54 + image);  // file size
    append_le32(out, 0);           // reserved
    append_le32(out, 54);          // offset of the pixels
    append_le32(out, 40);          // BITMAPINFOHEADER
    append_le32(out, p.width);
    append_le32(out, p.height);  // positive: bottom-up rows
    append_le16(out, 1);         // planes
    append_le16(out, 24);        // bits per pixel
    append_le32(out, 0);         // BI_RGB
    append_le32(out, image);
    append_le32(out, 2835);  // 72 dots per inch, in pixels per metre
    append_le32(out, 2835);
    append_le32(out, 0);
    append_le32(out, 0);
    for (int y = p.height - 1; y >= 0; --y) {
        for (int x = 0; x < p.width; ++x) {
            std::uint32_t c = p.at(x, y);
            out.push_back(c & 0xFF);          // blue
            out.push_back((c >> 8) & 0xFF);   // green
            out.push_back((c >> 16) & 0xFF);  // red
        }
        for (std::uint32_t pad = p.width * 3; pad < stride; ++pad) out.push_back(0);
    }
    return out;
}

}  // namespace roadsum
