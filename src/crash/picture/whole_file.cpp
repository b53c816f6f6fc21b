#include "crash/picture/whole_file.h"

#include <cstdio>
#include <random>

#include "crash/common/stdio_file.h"

namespace roadsum {
namespace {

// Empty when all went well, else the reason.
std::string write_stream(const std::string& path, std::string_view bytes) {
    StdioFile out(path, "wb");
    if (!out) return "it cannot be created";
    const bool written = out.Write(bytes.data(), bytes.size());
    // A full disk may only show when the file is closed.
    return out.Close() && written ? "" : "not every byte could be written";
}

bool fail(std::string* error, std::string reason) {
    if (error) *error = std::move(reason);
    return false;
}

}  // namespace

bool write_whole_file(const std::string& path, std::string_view bytes, std::string* error) {
    const PathKind kind = KindOfPath(path);
    if (kind == PathKind::Folder) return fail(error, "it is a folder");
    if (kind == PathKind::Other) {
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
        if (KindOfPath(temporary) == PathKind::None) break;
    }
    if (const std::string reason = write_stream(temporary, bytes); !reason.empty()) {
        std::remove(temporary.c_str());
        return fail(error, reason);
    }
    if (!replace_file(temporary, path)) {
        std::remove(temporary.c_str());
        return fail(error, "the file could not be replaced");
    }
    return true;
}

}  // namespace roadsum
