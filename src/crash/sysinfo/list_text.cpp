#include "crash/sysinfo/list_text.h"

#include <algorithm>

namespace roadsum {

std::string format_columns(const std::vector<TextRow>& rows) {
    std::vector<std::size_t> widths;
    for (const TextRow& row : rows) {
        if (widths.size() < row.size()) widths.resize(row.size());
        for (std::size_t i = 0; i + 1 < row.size(); ++i) widths[i] = std::max(widths[i], row[i].size());
    }
    std::vector<std::string> lines;
    lines.reserve(rows.size());
    for (const TextRow& row : rows) {
        std::string& line = lines.emplace_back();
        for (std::size_t i = 0; i < row.size(); ++i) {
            line += row[i];
            if (i + 1 < row.size()) line.append(widths[i] + 1 - row[i].size(), ' ');
        }
    }
    return join_lines(lines);
}

std::string join_lines(const std::vector<std::string>& lines) {
    std::string text;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i > 0) text += "\r\n";
        text += lines[i];
    }
    return text;
}

void split_at_last_backslash(std::string_view path, std::string& folder, std::string& name, bool keep_backslash) {
    const std::size_t slash = path.rfind('\\');
    if (slash == std::string_view::npos) {
        folder.clear();
        name = path;
        return;
    }
    folder = path.substr(0, keep_backslash ? slash + 1 : slash);
    name = path.substr(slash + 1);
}

}  // namespace roadsum
