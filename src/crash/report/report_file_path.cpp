#include "crash/report/report_file_path.h"

#include <algorithm>
#include <vector>

namespace roadsum {

namespace {

bool has_drive(std::string_view path) { return path.size() >= 2 && path[1] == ':'; }
bool is_unc(std::string_view path) { return path.size() >= 2 && path[0] == '\\' && path[1] == '\\'; }

// "C:" of a drive path, "\\server\share" of a network path, "" otherwise.
std::string_view root_of(std::string_view path) {
    if (has_drive(path)) return path.substr(0, 2);
    if (!is_unc(path)) return {};
    std::size_t end = path.find('\\', 2);
    if (end != std::string_view::npos) end = path.find('\\', end + 1);
    return path.substr(0, end);
}

// Drops "." parts and resolves ".." parts; never climbs above the root.
std::string normalized(std::string_view path) {
    const std::string_view root = root_of(path);
    std::string_view rest = path.substr(root.size());
    const bool absolute = !rest.empty() && rest.front() == '\\';
    std::vector<std::string_view> parts;
    while (!rest.empty()) {
        const std::size_t slash = rest.find('\\');
        const std::string_view part = rest.substr(0, slash);
        rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash + 1);
        if (part.empty() || part == ".") continue;
        if (part == "..") {
            if (!parts.empty() && parts.back() != "..") parts.pop_back();
            else if (!absolute) parts.push_back(part);
            continue;
        }
        parts.push_back(part);
    }
    std::string out(root);
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (i > 0 || absolute) out += '\\';
        out += parts[i];
    }
    return out;
}

}  // namespace

std::string absolute_report_path(std::string_view name_in, std::string_view executable_in) {
    std::string name(name_in), executable(executable_in);
    std::replace(name.begin(), name.end(), '/', '\\');
    std::replace(executable.begin(), executable.end(), '/', '\\');
    std::string path;
    if (name.size() < 3 || (name[0] != '\\' && !has_drive(name))) {
        const std::size_t slash = executable.rfind('\\');
        path = (slash == std::string::npos ? std::string() : executable.substr(0, slash + 1)) + name;
    } else if (name[0] == '\\' && !is_unc(name)) {
        path = std::string(root_of(executable)) + name;
    } else {
        path = name;
    }
    return normalized(path);
}

}  // namespace roadsum
