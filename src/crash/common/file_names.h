// Names taken from paths written with either kind of slash, as Windows accepts both.
#pragma once

#include <string_view>

namespace roadsum {

// The file name of a path, without its folder.
constexpr std::string_view file_name_of(std::string_view path) {
    const std::size_t slash = path.find_last_of("\\/");
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

}  // namespace roadsum
