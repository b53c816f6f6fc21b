// What the command-line tools do alike: whole files in and out, and the two error exits
// (1: an input or output is wrong, 2: wrong usage).
#pragma once

#include <cstdio>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>

namespace roadsum::tool {

inline std::optional<std::string> read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// True only when every byte reached the file: the close is checked too, since a full disk may
// only show there.
inline bool write_file(const std::string& path, std::string_view data) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(data.data(), static_cast<std::streamsize>(data.size()));
    out.close();
    return !out.fail();
}

inline int usage_error(const char* tool, const std::string& problem, const char* usage) {
    std::fprintf(stderr, "%s: %s\n\n%s", tool, problem.c_str(), usage);
    return 2;
}

inline int failure(const char* tool, const std::string& problem) {
    std::fprintf(stderr, "%s: %s\n", tool, problem.c_str());
    return 1;
}

}  // namespace roadsum::tool
