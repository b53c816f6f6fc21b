#include "crash/report/report_file_merge.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <optional>

#include "crash/common/text_lists.h"
#include "crash/report/header_values.h"
#include "crash/report/report_header.h"
#include "crash/settings/crash_settings.h"

namespace roadsum {

namespace {

constexpr std::string_view kLineBreak = "\r\n";
constexpr std::size_t kNone = std::string_view::npos;

// Lines end at CR, LF or CR LF, so files edited elsewhere still split into lines.
bool is_break(char c) { return c == '\r' || c == '\n'; }

bool is_line_start(std::string_view text, std::size_t p) {
    if (p == 0) return true;
    if (p >= text.size()) return false;
    return text[p - 1] == '\n' || (text[p - 1] == '\r' && text[p] != '\n');
}

std::size_t line_end(std::string_view text, std::size_t p) {
    while (p < text.size() && !is_break(text[p])) ++p;
    return p;
}

std::size_t next_line(std::string_view text, std::size_t p) {
    p = line_end(text, p);
    if (p < text.size() && text[p] == '\r') {
        ++p;
        if (p < text.size() && text[p] == '\n') ++p;
    } else if (p < text.size()) {
        ++p;
    }
    return p;
}

// The start of the line that holds position p (p itself may be that line's break).
std::size_t start_of_line(std::string_view text, std::size_t p) {
    while (p > 0 && !is_break(text[p - 1])) --p;
    return p;
}

std::size_t previous_line_start(std::string_view text, std::size_t line) {
    std::size_t brk = line - 1;
    if (text[brk] == '\n' && brk > 0 && text[brk - 1] == '\r') --brk;
    return start_of_line(text, brk);
}

bool starts_report(std::string_view text, std::size_t line) {
    return text.substr(line, std::strlen(kDateTimeLabel)) == kDateTimeLabel;
}

// Splits a header line into label and value at its first ": ".
bool split_field(std::string_view line, std::string_view& label, std::string_view& value) {
    const std::size_t colon = line.find(": ");
    if (colon == kNone) return false;
    label = line.substr(0, colon);
    while (!label.empty() && label.back() == ' ') label.remove_suffix(1);
    value = trim_blanks(line.substr(colon + 2));
    return true;
}

// Where a header field's line lies in a report text; kNone when the header has no such field.
std::size_t find_field_line(std::string_view report, std::string_view label) {
    for (std::size_t p = 0; p < report.size(); p = next_line(report, p)) {
        const std::string_view line = report.substr(p, line_end(report, p) - p);
        if (line.empty()) break;  // the header ends at the first empty line
        std::string_view l, v;
        if (split_field(line, l, v) && l == label) return p;
    }
    return kNone;
}

std::optional<std::string_view> field(std::string_view report, std::string_view label) {
    bool found = false;
    std::string_view value = report_header_value(report, label, &found);
    if (!found) return std::nullopt;
    return value;
}

// Whether an earlier report in the file was made by the same program from the same failure kind.
bool same_origin(std::string_view earlier, std::string_view report) {
    const std::string_view always[] = {"executable", "current module", "exception class", "version"};
    for (std::string_view label : always)
        if (field(earlier, label) != field(report, label)) return false;
    if (field(earlier, "version")) return true;
    return field(earlier, "exec. date/time") == field(report, "exec. date/time") &&
           field(earlier, "module date/time") == field(report, "module date/time");
}

std::uint64_t count_of(std::string_view earlier) {
    const std::optional<std::string_view> text = field(earlier, "count");
    if (!text || text->empty() || text->size() > 19) return 1;
    std::uint64_t n = 0;
    for (char c : *text) {
        if (c < '0' || c > '9') return 1;
        n = n * 10 + static_cast<std::uint64_t>(c - '0');
    }
    return std::max<std::uint64_t>(n, 1);
}

DuplicateDefinition definition_of(bool merge, int definition) {
    if (!merge) return DuplicateDefinition::None;
    return static_cast<DuplicateDefinition>(std::clamp(definition, 0, 2));
}

// The characters of the "callstack crc" value that make two reports duplicates.
std::string_view duplicate_key(std::string_view report, const ReportFileRules& rules) {
    const std::optional<std::string_view> crc = field(report, kCallstackCrcLabel);
    if (!crc || crc->size() != kCallstackCrcLength) return {};
    const DuplicateDefinition definition = field(report, "exception class") ? rules.Exceptions : rules.Freezes;
    switch (definition) {
        case DuplicateDefinition::CrashLocation: return crc->substr(0, 9);
        case DuplicateDefinition::CrashingThread: return crc->substr(0, 20);
        case DuplicateDefinition::AllThreads: return *crc;
        case DuplicateDefinition::None: break;
    }
    return {};
}

// The last position at or before `from` where ": " and the key start; kNone when there is none.
std::size_t find_key_backwards(std::string_view file, std::string_view key, std::size_t from) {
    const std::size_t need = key.size() + 2;
    if (file.size() < need) return kNone;
    for (std::size_t p = std::min(from, file.size() - need) + 1; p-- > 0;) {
        if (file[p] == ':' && file[p + 1] == ' ' && file.compare(p + 2, key.size(), key) == 0) return p;
    }
    return kNone;
}

// The earlier copy of the report: [start, end) from its "date/time" line to the next report.
struct Found {
    std::size_t start = kNone, end = kNone;
    std::uint64_t count = 0;
};

Found find_duplicate(std::string_view file, std::string_view report, std::string_view key) {
    std::size_t from = file.size();
    while (true) {
        const std::size_t hit = find_key_backwards(file, key, from);
        if (hit == kNone) return {};
        // Only the value of a "callstack crc" line counts, not the key in a message or a section;
        // a line is looked at once, whatever number of hits it holds.
        const std::size_t line = start_of_line(file, hit);
        std::string_view label, value;
        split_field(file.substr(line, hit + 2 - line), label, value);
        if (line + file.substr(line, hit + 2 - line).find(": ") != hit || label != kCallstackCrcLabel) {
            if (line == 0) return {};
            from = line - 1;
            continue;
        }
        std::size_t start = line;
        while (!starts_report(file, start)) {
            if (start == 0) return {};  // nothing before this is a report either
            start = previous_line_start(file, start);
        }
        std::size_t end = next_line(file, start);
        while (end < file.size() && !starts_report(file, end)) end = next_line(file, end);
        const std::string_view earlier = file.substr(start, end - start);
        if (same_origin(earlier, report)) return {start, end, count_of(earlier)};
        // Every other hit in this report leads to the same report: go on before it.
        if (start == 0) return {};
        from = start - 1;
    }
}

// The report with "count" right after its "callstack crc" line, its label padded alike.
std::string with_count(std::string_view report, std::uint64_t count) {
    const std::size_t line = find_field_line(report, kCallstackCrcLabel);
    const std::size_t end = line_end(report, line);
    const std::size_t width = report.substr(line, end - line).find(": ");
    std::string label = "count";
    if (label.size() < width) label.append(width - label.size(), ' ');
    std::string out(report.substr(0, end));
    out += kLineBreak;
    out += label + ": " + std::to_string(count);
    out += report.substr(end);
    return out;
}

// The first report start in the kept part after which less than `below` bytes remain.
std::size_t trim_point(std::string_view file, const Found& dup, std::int64_t below) {
    const std::size_t dup_length = dup.start == kNone ? 0 : dup.end - dup.start;
    auto remaining = [&](std::size_t p) {
        return file.size() - p - (dup.start != kNone && dup.start >= p ? dup_length : 0);
    };
    // No earlier line can have few enough bytes after it.
    const std::size_t lowest = file.size() - dup_length > static_cast<std::size_t>(below)
                                   ? file.size() - dup_length - static_cast<std::size_t>(below)
                                   : 0;
    std::size_t p = lowest;
    if (!is_line_start(file, p)) p = next_line(file, p);
    for (; p < file.size(); p = next_line(file, p)) {
        if (dup.start != kNone && p >= dup.start && p < dup.end) {
            p = dup.end;
            if (p >= file.size()) break;
        }
        if (starts_report(file, p) && remaining(p) < static_cast<std::size_t>(below)) return p;
    }
    return kNone;
}

}  // namespace

std::string_view report_header_value(std::string_view report, std::string_view label, bool* found) {
    if (found) *found = false;
    const std::size_t line = find_field_line(report, label);
    if (line == kNone) return {};
    std::string_view l, value;
    split_field(report.substr(line, line_end(report, line) - line), l, value);
    if (found) *found = true;
    return value;
}

ReportFileRules report_file_rules(const INXSettings& s) {
    ReportFileRules rules;
    rules.Append = s.Get(keys::AppendBugReps);
    rules.Exceptions = definition_of(s.Get(keys::NoDupExcepts), s.Get(keys::DupExceptDef));
    rules.Freezes = definition_of(s.Get(keys::NoDupFreezes), s.Get(keys::DupFreezeDef));
    rules.SizeLimit = std::max<std::int32_t>(0, s.Get(keys::BugRepFileSize));
    return rules;
}

ReportFileMerge plan_report_merge(std::string_view file, std::string_view report, const ReportFileRules& rules) {
    ReportFileMerge plan;
    if (!rules.Append) {
        if (!file.empty()) plan.Removed.emplace_back(0, file.size());
        plan.Written = std::string(report) + "\r\n\r\n";
        plan.NewSize = plan.Written.size();
        return plan;
    }
    Found dup;
    if (!file.empty()) {
        const std::string_view key = duplicate_key(report, rules);
        if (!key.empty()) dup = find_duplicate(file, report, key);
    }
    std::size_t kept = file.size();
    if (dup.start != kNone) {
        plan.Count = dup.count == std::numeric_limits<std::uint64_t>::max() ? dup.count : dup.count + 1;
        kept -= dup.end - dup.start;
    }
    std::size_t cut = kNone;
    if (rules.SizeLimit > 0 && kept > static_cast<std::uint64_t>(rules.SizeLimit))
        cut = trim_point(file, dup, rules.SizeLimit - rules.SizeLimit / 4);
    if (cut != kNone) {
        plan.Removed.emplace_back(0, cut);
        kept = file.size() - cut;
        if (dup.start != kNone && dup.start >= cut) {
            plan.Removed.emplace_back(dup.start, dup.end);
            kept -= dup.end - dup.start;
        }
    } else if (dup.start != kNone) {
        plan.Removed.emplace_back(dup.start, dup.end);
    }
    // What stays must end with a line break, or the new report's first line would not start one.
    std::size_t last = file.size();
    for (auto it = plan.Removed.rbegin(); it != plan.Removed.rend() && it->second == last; ++it) last = it->first;
    if (kept > 0 && last > 0 && !is_break(file[last - 1])) plan.Written = kLineBreak;
    plan.Written += dup.start != kNone ? with_count(report, plan.Count) : std::string(report);
    plan.Written += "\r\n\r\n";
    plan.NewSize = kept + plan.Written.size();
    return plan;
}

void apply_report_merge(std::uint8_t* buffer, std::size_t old_size, const ReportFileMerge& plan) {
    std::size_t to = 0, from = 0;
    auto keep = [&](std::size_t end) {
        if (end > from) {
            if (to != from) std::memmove(buffer + to, buffer + from, end - from);
            to += end - from;
        }
    };
    for (const auto& [first, second] : plan.Removed) {
        keep(first);
        from = second;
    }
    keep(old_size);
    std::memcpy(buffer + to, plan.Written.data(), plan.Written.size());
}

}  // namespace roadsum
