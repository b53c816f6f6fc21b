// nox-png: a 24- or 32-bit BMP as the PNG that the crash reporter attaches for a screenshot,
// or zoomed as the reporter shows a screenshot on its page.
#include <charconv>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "../common/tool_io.h"
#include "crash/picture/bitmap.h"
#include "crash/picture/bmp_file.h"
#include "crash/picture/whole_file.h"

namespace {

const char kUsage[] =
    "usage: nox-png IN.bmp OUT.png [--format N]\n"
    "       nox-png --zoom WIDTHxHEIGHT IN.bmp OUT.bmp\n"
    "\n"
    "The first form writes the PNG that the crash reporter makes of a screenshot, in format N\n"
    "(default 0):\n"
    "  1          grey: 16 levels, 4 bits per pixel\n"
    "  2 3 4 5    colour, or grey when the colour file is larger than 50, 100, 200 or 300 KB\n"
    "             and the grey one is smaller\n"
    "  any other  colour: 256 colours from Wu's quantiser, 8 bits per pixel\n"
    "The second form resamples the picture to the size (Mitchell-Netravali filter) and writes\n"
    "it as a 24-bit BMP.\n"
    "\n"
    "IN.bmp is a Windows bitmap of 24 or 32 bits per pixel. An output is written whole or not\n"
    "at all. Exit status: 0 on success, 1 when an input or the output is wrong (the reason goes\n"
    "to standard error), 2 on wrong usage.\n";

int usage_error(const std::string& problem) { return roadsum::tool::usage_error("nox-png", problem, kUsage); }
int failure(const std::string& problem) { return roadsum::tool::failure("nox-png", problem); }

std::optional<int> parse_int(std::string_view text) {
    int value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

struct Size {
    int width = 0, height = 0;
};

std::optional<Size> parse_size(const std::string& text) {
    const std::size_t x = text.find_first_of("xX");
    if (x == std::string::npos) return std::nullopt;
    const auto w = parse_int(std::string_view(text).substr(0, x)), h = parse_int(std::string_view(text).substr(x + 1));
    if (!w || !h) return std::nullopt;
    return Size{*w, *h};
}

std::optional<roadsum::PixelImage> load(const std::string& path, int& status) {
    const std::optional<std::string> bytes = roadsum::tool::read_file(path);
    if (!bytes) {
        status = failure("cannot read " + path);
        return std::nullopt;
    }
    roadsum::BmpReadResult read = roadsum::read_bmp(roadsum::bytes_of(*bytes));
    if (!read.image) status = failure(path + ": " + read.error);
    return std::move(read.image);
}

int save(const std::string& path, const std::string& bytes) {
    std::string error;
    if (!roadsum::write_whole_file(path, bytes, &error)) return failure("cannot write " + path + ": " + error);
    return 0;
}

int to_png(const std::string& in, const std::string& out, int format) {
    int status = 0;
    const std::optional<roadsum::PixelImage> image = load(in, status);
    if (!image) return status;
    const std::string png = roadsum::TINVBitmap(*image).AsPngStr(format);
    if (png.empty()) return failure(in + ": the PNG could not be made (out of memory)");
    return save(out, png);
}

int zoom(const Size& size, const std::string& in, const std::string& out) {
    if (size.width <= 0 || size.height <= 0 || size.width > roadsum::kMaxBmpSide || size.height > roadsum::kMaxBmpSide ||
        static_cast<long long>(size.width) * size.height > roadsum::kMaxBmpPixels)
        return failure("cannot zoom to " + std::to_string(size.width) + " x " + std::to_string(size.height) +
                       ": each side must be 1 to " + std::to_string(roadsum::kMaxBmpSide) + " pixels and the area at most " +
                       std::to_string(roadsum::kMaxBmpPixels));
    int status = 0;
    const std::optional<roadsum::PixelImage> image = load(in, status);
    if (!image) return status;
    const std::shared_ptr<roadsum::INVBitmap> zoomed = roadsum::TINVBitmap(*image).Zoom(size.width, size.height);
    const std::string bmp = zoomed ? zoomed->AsBmpStr() : std::string();
    if (bmp.empty()) return failure(in + ": the zoomed picture could not be made (out of memory)");
    return save(out, bmp);
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    std::vector<std::string> files;
    std::optional<int> format;
    std::optional<Size> size;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--format" || args[i] == "--zoom") {
            if (i + 1 >= args.size()) return usage_error(args[i] + " needs a value");
            const std::string& value = args[++i];
            if (args[i - 1] == "--format") {
                if (!(format = parse_int(value))) return usage_error("--format needs a whole number, not " + value);
            } else if (!(size = parse_size(value))) {
                return usage_error("--zoom needs WIDTHxHEIGHT, not " + value);
            }
        } else if (args[i].starts_with("--")) {
            return usage_error("unknown option " + args[i]);
        } else {
            files.push_back(args[i]);
        }
    }
    if (files.size() != 2) return usage_error(files.size() < 2 ? "an input and an output file are needed" : "too many files");
    if (size && format) return usage_error("--zoom writes a BMP and takes no --format");
    return size ? zoom(*size, files[0], files[1]) : to_png(files[0], files[1], format.value_or(0));
}
