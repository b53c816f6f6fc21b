#include "crash/picture/whole_file.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>

namespace roadsum {
namespace {

// Empty when all went well, else the reason.
std::string write_stream(const std::string& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) return "it cannot be created";
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();  // a full disk may only show here
    return out.fail() ? "not every byte could be written" : "";
}

bool fail(std::string* error, std::string reason) {
    if (error) *error = std::move(reason);
    return false;
}

}  // namespace

bool write_whole_file(const std::string& path, std::string_view bytes, std::string* error) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    if (fs::exists(status) && !fs::is_regular_file(status)) {
        if (fs::is_directory(status)) return fail(error, "it is a folder");
        const std::string reason = write_stream(path, bytes);
        return reason.empty() || fail(error, reason);
    }
    // A name of its own beside the target, so that the final move stays on one volume.
    std::random_device seed;
    std::string temporary;
    for (int attempt = 0; attempt < 16; ++attempt) {
        char suffix[16];
        std::snprintf(suffix, sizeof suffix, ".%08x~", static_cast<unsigned>(seed()));
        temporary = path + suffix;
        if (!fs::exists(temporary, ec)) break;
    }
    if (const std::string reason = write_stream(temporary, bytes); !reason.empty()) {
        fs::remove(temporary, ec);
        return fail(error, reason);
    }
    if (!replace_file(temporary, path)) {
        fs::remove(temporary, ec);
        return fail(error, "the file could not be replaced");
    }
    return true;
}

}  // namespace roadsum
