#include "picture_files.h"

#include <filesystem>
#include <fstream>

namespace roadsum::testing {
namespace {

bool write(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    return !out.fail();
}

}  // namespace

bool save_for_checker(const std::string& name, const std::string& file_bytes, const PixelImage& source, Expect expect,
                      int max_error, double mean_error) {
    const std::string dir = ROADSUM_PICTURE_DIR;
    std::filesystem::create_directories(dir);
    const std::string file = name + (expect == Expect::bmp ? ".bmp" : ".png");
    std::string rgb;
    for (std::uint32_t p : source.pixels) {
        rgb += static_cast<char>(red_of(p));
        rgb += static_cast<char>(green_of(p));
        rgb += static_cast<char>(blue_of(p));
    }
    const char* kind = expect == Expect::grey ? "grey" : expect == Expect::colour ? "colour" : "bmp";
    const std::string json = "{\"file\": \"" + file + "\", \"width\": " + std::to_string(source.width) +
                             ", \"height\": " + std::to_string(source.height) + ", \"kind\": \"" + kind +
                             "\", \"max_error\": " + std::to_string(max_error) +
                             ", \"mean_error\": " + std::to_string(mean_error) + "}\n";
    return write(dir + "/" + file, file_bytes) && write(dir + "/" + name + ".rgb", rgb) &&
           write(dir + "/" + name + ".json", json);
}

}  // namespace roadsum::testing
