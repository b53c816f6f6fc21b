#include "crash/reporter/save_dialog_start.h"

#include <algorithm>

#include "crash/report/report_file_path.h"

namespace roadsum {

SaveDialogStart save_dialog_start(std::string_view name, std::string_view executable, std::string_view desktop) {
    std::string n(name);
    std::replace(n.begin(), n.end(), '/', '\\');
    const std::size_t slash = n.find_last_of('\\');
    // "C:name": the root of that drive (the dialog knows no current folder of another drive).
    const bool drive_only = n.size() >= 2 && n[1] == ':' && slash == std::string::npos;
    if (slash == std::string::npos && !drive_only) return {std::string(desktop), n};
    if (drive_only) return {n.substr(0, 2) + "\\", n.substr(2)};
    // The folder as an automatic save reads it; a stand-in name keeps a bare folder a folder.
    const std::string path = absolute_report_path(n.substr(0, slash + 1) + "x", executable);
    std::string folder = path.substr(0, path.find_last_of('\\'));
    if (folder.size() == 2 && folder[1] == ':') folder += '\\';  // the root of a drive keeps its backslash
    return {folder, n.substr(slash + 1)};
}

}  // namespace roadsum
