#include "crash/send/print_layout.h"

#include <algorithm>

namespace roadsum {
namespace {

int centimetres(double cm, int dpi) { return static_cast<int>(cm * dpi / 2.54 + 0.5); }

// The longest start of `text` whose width fits, at least one character.
std::size_t fitting_prefix(std::string_view text, int width, const TextWidth& measure) {
    std::size_t low = 1, high = text.size();
    while (low < high) {
        const std::size_t mid = (low + high + 1) / 2;
        if (measure(text.substr(0, mid)) <= width) low = mid;
        else high = mid - 1;
    }
    return low;
}

void wrap_line(std::string_view line, int width, const TextWidth& measure, std::vector<std::string>& out) {
    while (!line.empty() && measure(line) > width) {
        const std::size_t fits = fitting_prefix(line, width, measure);
        // Break after the last blank that fits; a word wider than the line is cut.
        std::size_t cut = fits < line.size() && line[fits] == ' ' ? fits : line.rfind(' ', fits - 1);
        std::size_t next;
        if (cut == std::string_view::npos || cut == 0) {
            cut = next = fits;
        } else {
            next = cut;
            while (next < line.size() && line[next] == ' ') ++next;
        }
        out.emplace_back(line.substr(0, cut));
        line.remove_prefix(next);
    }
    if (!line.empty()) out.emplace_back(line);
}

}  // namespace

PrintRect print_area(const PrinterPage& page) {
    PrintRect area;
    area.left = centimetres(2, page.dpi_x) - page.offset_x;
    area.top = centimetres(1, page.dpi_y) - page.offset_y;
    area.right = page.physical_width - centimetres(1, page.dpi_x) - page.offset_x;
    area.bottom = page.physical_height - centimetres(1, page.dpi_y) - page.offset_y;
    area.left = std::clamp(area.left, 0, page.printable_width);
    area.top = std::clamp(area.top, 0, page.printable_height);
    area.right = std::clamp(area.right, area.left, page.printable_width);
    area.bottom = std::clamp(area.bottom, area.top, page.printable_height);
    return area;
}

std::vector<std::string> wrap_report_lines(std::string_view text, int width, const TextWidth& measure) {
    std::vector<std::string> out;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string line(text.substr(start, end - start));
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::replace(line.begin(), line.end(), '\t', ' ');
        const std::size_t before = out.size();
        wrap_line(line, width, measure, out);
        if (out.size() == before) out.emplace_back(" ");
        start = end + 1;
        if (end == text.size()) break;
    }
    // A report ending with a line break has no further line to print.
    if (!text.empty() && text.back() == '\n' && !out.empty()) out.pop_back();
    return out;
}

std::vector<std::vector<std::string>> paginate(const std::vector<std::string>& lines, int lines_per_page) {
    const std::size_t per_page = static_cast<std::size_t>(std::max(1, lines_per_page));
    std::vector<std::vector<std::string>> pages;
    for (std::size_t at = 0; at < lines.size(); at += per_page)
        pages.emplace_back(lines.begin() + at, lines.begin() + std::min(lines.size(), at + per_page));
    return pages;
}

}  // namespace roadsum
