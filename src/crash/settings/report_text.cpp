#include "crash/settings/report_text.h"

#include <algorithm>
#include <cstdint>


namespace roadsum {

namespace {

// Lines end at CR, LF or CR LF.
template <class Each>
void for_each_line(std::string_view text, Each each) {
    std::size_t start = 0;
    while (true) {
        const std::size_t end = text.find_first_of("\r\n", start);
        each(text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
        if (end == std::string_view::npos) return;
        start = end + 1;
        if (text[end] == '\r' && start < text.size() && text[start] == '\n') ++start;
    }
}

std::uint64_t modification_of(const INXFields& header, const INXFields& sections) {
    return header.Modification() + sections.Modification();
}

}  // namespace

std::string single_line_text(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (c == '\r' || c == '\n') c = ' ';
        if (c == ' ' && !out.empty() && out.back() == ' ') continue;
        out += c;
    }
    return out;
}

std::string assemble_report_text(const std::vector<NamedField>& header, const std::vector<NamedField>& sections) {
    std::size_t width = 0;
    for (const NamedField& f : header) width = std::max(width, f.first.size());
    std::string text;
    for (const NamedField& f : header) {
        if (!text.empty()) text += "\r\n";
        text += f.first;
        text.append(width - f.first.size(), ' ');
        text += ": ";
        text += single_line_text(f.second);
    }
    for (const NamedField& s : sections) {
        text += "\r\n\r\n";
        text += s.first;
        if (s.first.find(':') == std::string::npos) text += ':';
        for_each_line(s.second, [&](std::string_view line) {
            while (!line.empty() && line.back() == ' ') line.remove_suffix(1);
            text += "\r\n";
            if (line.empty())
                text += '.';
            else
                text += line;
        });
    }
    return text;
}

std::string ReportTextCache::Text(const INXFields& header, const INXFields& sections) {
    std::lock_guard guard(lock_);
    const std::uint64_t before = modification_of(header, sections);
    if (valid_ && modification_ == before) return text_;
    std::string text = assemble_report_text(header.Items(), sections.Items());
    if (modification_of(header, sections) == before) {
        text_ = text;
        modification_ = before;
        valid_ = true;
    }
    return text;
}

}  // namespace roadsum
