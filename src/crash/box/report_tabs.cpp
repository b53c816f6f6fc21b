#include "crash/box/report_tabs.h"

#include <algorithm>
#include <cctype>

#include "crash/common/text_lists.h"

namespace roadsum {

namespace {

bool is_thread_section(std::string_view title) { return title.find('$') != std::string_view::npos; }

TTabKind kind_of(std::string_view title) {
    if (title == "modules") return TTabKind::Modules;
    if (title == "processes") return TTabKind::Processes;
    if (title == "cpu registers") return TTabKind::CpuRegisters;
    if (title == "stack dump") return TTabKind::StackDump;
    if (title == "disassembling") return TTabKind::Disassembling;
    return TTabKind::Other;
}

std::string short_title(std::string_view title) {
    if (title == "cpu registers") return "cpu regs";
    if (title == "disassembling") return "disasm";
    return std::string(title);
}

std::string trimmed(std::string_view text) { return std::string(trim_blanks(text)); }

const std::string* find_section(const std::vector<NamedField>& sections, const std::string& title) {
    for (const NamedField& s : sections)
        if (s.first == title) return &s.second;
    return nullptr;
}

bool numeric_cell(std::string_view cell) {
    if (!cell.empty() && cell[0] == '+') cell.remove_prefix(1);
    return std::all_of(cell.begin(), cell.end(), [](char c) { return std::isdigit(static_cast<unsigned char>(c)); });
}

bool column_all(const std::vector<std::vector<std::string>>& rows, std::size_t column, bool (*test)(std::string_view)) {
    for (const auto& row : rows)
        if (column < row.size() && !test(row[column])) return false;
    return true;
}

// Found columns onto `wanted` captions: the first ones in order, the last found onto the last.
std::vector<std::string> map_cells(std::vector<std::string> cells, std::size_t wanted) {
    if (cells.size() >= wanted || cells.empty()) {
        cells.resize(wanted);
        return cells;
    }
    std::vector<std::string> out(wanted);
    for (std::size_t i = 0; i + 1 < cells.size(); ++i) out[i] = cells[i];
    out.back() = cells.back();
    return out;
}

// A call stack's lines: address, relative address, module, unit, absolute line, line, function;
// columns that the trace left out stay empty.
void add_stack_rows(TTabView& view, const std::string& title, const std::string& text) {
    view.Rows.push_back({{"", "", "", "", "", "", title}, true});
    const auto rows = SplitAlignedColumns(SplitLines(text), 16);
    std::size_t columns = 0;
    for (const auto& row : rows) columns = std::max(columns, row.size());
    std::vector<int> target(columns, -1);
    std::size_t c = 0;
    if (c < columns) target[c++] = 0;
    if (c < columns && column_all(rows, c, [](std::string_view s) { return s.empty() || s[0] == '+'; }))
        target[c++] = 1;
    if (c < columns) target[c++] = 2;
    if (columns > c) target[columns - 1] = 6;  // the function is last
    std::vector<std::size_t> middle;
    for (std::size_t i = c; i + 1 < columns; ++i) middle.push_back(i);
    // Among the middle columns the unit is text, the lines are numbers ("+4" relative).
    std::vector<std::size_t> numbers;
    for (std::size_t i : middle) {
        if (column_all(rows, i, numeric_cell))
            numbers.push_back(i);
        else
            target[i] = 3;
    }
    if (numbers.size() >= 2) {
        target[numbers[0]] = 4;
        target[numbers[1]] = 5;
    } else if (numbers.size() == 1) {
        target[numbers[0]] = 4;
    }
    for (const auto& row : rows) {
        TListRow out{std::vector<std::string>(7), false};
        for (std::size_t i = 0; i < row.size(); ++i)
            if (target[i] >= 0) out.Cells[static_cast<std::size_t>(target[i])] = row[i];
        view.Rows.push_back(std::move(out));
    }
}

void add_split_rows(TTabView& view, const std::string& text, std::size_t max_columns) {
    for (auto& cells : SplitAlignedColumns(SplitLines(text), max_columns))
        view.Rows.push_back({map_cells(std::move(cells), view.Columns.size()), false});
}

void add_process_rows(TTabView& view, const std::string& text) {
    auto rows = SplitAlignedColumns(SplitLines(text), 7);
    std::size_t columns = 0;
    for (const auto& row : rows) columns = std::max(columns, row.size());
    switch (columns) {
        case 5: view.Columns = ParseColumns({"^id", "file name", "session", "priority", "path"}); break;
        case 6: view.Columns = ParseColumns({"^id", "file name", "gdi objects", "user objects", "priority", "path"}); break;
        case 7:
            view.Columns =
                ParseColumns({"^id", "file name", "session", "gdi objects", "user objects", "priority", "path"});
            break;
        default: view.Columns = ParseColumns({"^id", "file name", "priority", "path"});
    }
    for (auto& cells : rows) view.Rows.push_back({map_cells(std::move(cells), view.Columns.size()), false});
}

void add_register_rows(TTabView& view, const std::string& text) {
    for (const std::string& line : SplitLines(text)) {
        const std::size_t at = line.find('=');
        if (at == std::string::npos)
            view.Rows.push_back({{trimmed(line), ""}, false});
        else
            view.Rows.push_back({{trimmed(line.substr(0, at)), trimmed(line.substr(at + 1))}, false});
    }
}

// "0012ff00  3c 00 ... - ... 00  <.......": the address, the 16 bytes, the characters.
void add_dump_rows(TTabView& view, const std::string& text) {
    constexpr std::size_t kHexStart = 10, kHexLength = 50, kCharsStart = 61;
    for (const std::string& line : SplitLines(text)) {
        const std::string address = trimmed(line.substr(0, std::min<std::size_t>(8, line.size())));
        const std::string hex = line.size() > kHexStart ? trimmed(line.substr(kHexStart, kHexLength)) : "";
        const std::string chars = line.size() > kCharsStart ? line.substr(kCharsStart) : "";
        view.Rows.push_back({{address, hex, chars}, false});
    }
}

// "00401600 050 > push    ebp  ; comment": the address, the code, the comment; a line of the
// form "; --" stands between source lines.
void add_listing_rows(TTabView& view, const std::string& text) {
    for (const std::string& line : SplitLines(text)) {
        const std::string_view rest = trim_blanks(line);
        if (rest.empty()) continue;
        const std::size_t blank = rest.find(' ');
        const std::string_view first = rest.substr(0, blank);
        std::string_view code = blank == std::string_view::npos ? std::string_view() : rest.substr(blank + 1);
        if (trim_blanks(code).starts_with("; --") || rest.starts_with("; --")) {
            view.Rows.push_back({{std::string(first == ";" ? "" : first), "", ""}, true});
            continue;
        }
        std::string comment;
        if (const std::size_t at = code.find(';'); at != std::string_view::npos) {
            comment = trimmed(code.substr(at + 1));
            code = code.substr(0, at);
        }
        view.Rows.push_back({{std::string(first), trimmed(code), comment}, false});
    }
}

void add_tab_rows(TTabView& view, const std::string& title, const std::string& text) {
    std::size_t columns = 1;
    const std::vector<std::string> lines = SplitLines(text);
    for (const std::string& line : lines) columns = std::max<std::size_t>(columns, split_list(line, '\t').size());
    if (view.Columns.empty()) {
        view.Columns.push_back({title, false});
        for (std::size_t i = 1; i < columns; ++i) view.Columns.push_back({"", false});
    }
    for (const std::string& line : lines) {
        std::vector<std::string> cells;
        for (std::string_view cell : split_list(line, '\t')) cells.emplace_back(cell);
        cells.resize(view.Columns.size());
        view.Rows.push_back({std::move(cells), false});
    }
}

}  // namespace

std::vector<std::string> SplitLines(std::string_view text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        if (i == text.size() || text[i] == '\r' || text[i] == '\n') {
            if (i == text.size() && start == i && !lines.empty()) break;
            lines.emplace_back(text.substr(start, i - start));
            if (i + 1 < text.size() && text[i] == '\r' && text[i + 1] == '\n') ++i;
            start = i + 1;
        }
    }
    return lines;
}

std::vector<std::vector<std::string>> SplitAlignedColumns(const std::vector<std::string>& lines, std::size_t max_columns) {
    std::size_t longest = 0;
    for (const std::string& line : lines) longest = std::max(longest, line.size());
    std::vector<std::size_t> starts{0};
    for (std::size_t p = 1; p < longest && starts.size() < std::max<std::size_t>(max_columns, 1); ++p) {
        bool blank_before = true, text_here = false;
        for (const std::string& line : lines) {
            if (p - 1 < line.size() && line[p - 1] != ' ') blank_before = false;
            if (p < line.size() && line[p] != ' ') text_here = true;
        }
        if (blank_before && text_here) starts.push_back(p);
    }
    std::vector<std::vector<std::string>> rows;
    for (const std::string& line : lines) {
        if (trim_blanks(line).empty()) continue;
        std::vector<std::string> cells;
        for (std::size_t i = 0; i < starts.size(); ++i) {
            const std::size_t from = starts[i];
            const std::size_t to = i + 1 < starts.size() ? starts[i + 1] : line.size();
            cells.push_back(from < line.size() ? trimmed(std::string_view(line).substr(from, to - from)) : "");
        }
        rows.push_back(std::move(cells));
    }
    return rows;
}

std::vector<TReportTab> ReportTabs(const std::vector<NamedField>& sections) {
    std::vector<TReportTab> tabs{{"general", TTabKind::General, {}}};
    TReportTab stacks{"call stack", TTabKind::CallStacks, {}};
    for (const NamedField& s : sections)
        if (is_thread_section(s.first)) stacks.Sections.push_back(s.first);
    if (stacks.Sections.size() > 1) stacks.Caption += "s";
    if (!stacks.Sections.empty()) tabs.push_back(stacks);
    for (const NamedField& s : sections)
        if (!is_thread_section(s.first)) tabs.push_back({short_title(s.first), kind_of(s.first), {s.first}});
    return tabs;
}

std::vector<TTabEdit> TabEdits(const std::vector<std::string>& shown, const std::vector<std::string>& wanted) {
    std::vector<TTabEdit> edits;
    std::vector<std::string> now = shown;
    // Tabs no longer wanted go, from the back so that the indexes stay true.
    for (int i = static_cast<int>(now.size()) - 1; i >= 0; --i)
        if (std::find(wanted.begin(), wanted.end(), now[static_cast<std::size_t>(i)]) == wanted.end()) {
            edits.push_back({false, i, now[static_cast<std::size_t>(i)]});
            now.erase(now.begin() + i);
        }
    for (std::size_t i = 0; i < wanted.size(); ++i) {
        if (i < now.size() && now[i] == wanted[i]) continue;
        // A renamed or moved tab ("call stack" becoming "call stacks") goes and comes again.
        if (const auto later = std::find(now.begin() + static_cast<std::ptrdiff_t>(i), now.end(), wanted[i]); later != now.end()) {
            const int at = static_cast<int>(later - now.begin());
            edits.push_back({false, at, *later});
            now.erase(later);
        }
        edits.push_back({true, static_cast<int>(i), wanted[i]});
        now.insert(now.begin() + static_cast<std::ptrdiff_t>(i), wanted[i]);
    }
    while (now.size() > wanted.size()) {
        edits.push_back({false, static_cast<int>(now.size() - 1), now.back()});
        now.pop_back();
    }
    return edits;
}

std::vector<TListColumn> ParseColumns(const std::vector<std::string_view>& captions) {
    std::vector<TListColumn> columns;
    for (std::string_view c : captions) {
        const bool right = c.starts_with('^');
        columns.push_back({std::string(right ? c.substr(1) : c), right});
    }
    return columns;
}

bool IsPlaceholder(std::string_view text) {
    return text.starts_with(">> will be") || text.starts_with(">> stack will be");
}

TTabView TabView(const TReportTab& tab, const std::vector<NamedField>& header, const std::vector<NamedField>& sections) {
    TTabView view;
    if (tab.Kind == TTabKind::General) {
        view.Columns = ParseColumns({"description", "value"});
        for (const NamedField& f : header) view.Rows.push_back({{f.first, f.second}, false});
        return view;
    }
    std::vector<std::pair<std::string, std::string>> parts;
    for (const std::string& title : tab.Sections)
        if (const std::string* text = find_section(sections, title)) parts.emplace_back(title, *text);
    const bool waiting = std::any_of(parts.begin(), parts.end(), [](const auto& p) { return IsPlaceholder(p.second); });
    if (waiting) {
        view.PlainText = true;
        for (const auto& [title, text] : parts) {
            if (!view.Text.empty()) view.Text += "\r\n\r\n";
            if (tab.Kind == TTabKind::CallStacks) view.Text += title + "\r\n";
            view.Text += text;
        }
        return view;
    }
    switch (tab.Kind) {
        case TTabKind::CallStacks:
            view.Columns = ParseColumns({"^address", "^ rel.", "module", "unit", " line", " rel.", "function"});
            for (const auto& [title, text] : parts) add_stack_rows(view, title, text);
            break;
        case TTabKind::Modules:
            view.Columns = ParseColumns({"^handle", "file name", " version", "path"});
            for (const auto& part : parts) add_split_rows(view, part.second, 4);
            break;
        case TTabKind::Processes:
            for (const auto& part : parts) add_process_rows(view, part.second);
            break;
        case TTabKind::CpuRegisters:
            view.Columns = ParseColumns({"reg.", "content"});
            for (const auto& part : parts) add_register_rows(view, part.second);
            break;
        case TTabKind::StackDump:
            view.Columns = ParseColumns({"address", "data - hexadecimal", "data - chars"});
            for (const auto& part : parts) add_dump_rows(view, part.second);
            break;
        case TTabKind::Disassembling:
            view.Columns = ParseColumns({"address", "asm code", "comments"});
            for (const auto& part : parts) add_listing_rows(view, part.second);
            break;
        default:
            for (const auto& [title, text] : parts) add_tab_rows(view, title, text);
    }
    return view;
}

}  // namespace roadsum
