#include "crash/debuginfo/map_text_parser.h"

#include <algorithm>
#include <exception>
#include <optional>
#include <utility>

#include "crash/common/text_lists.h"

namespace roadsum {

namespace {

constexpr std::uint32_t kCodeSizeGranularity = 4096;

std::optional<std::uint32_t> hex_at(std::string_view line, std::size_t at, std::size_t digits) {
    if (at + digits > line.size()) return std::nullopt;
    std::uint32_t value = 0;
    for (std::size_t i = at; i < at + digits; ++i) {
        const int d = hex_digit_value(line[i]);
        if (d < 0) return std::nullopt;
        value = value << 4 | static_cast<std::uint32_t>(d);
    }
    return value;
}

bool char_at(std::string_view line, std::size_t at, char c) { return at < line.size() && line[at] == c; }

std::vector<std::string_view> tokens_of(std::string_view text) {
    std::vector<std::string_view> tokens;
    std::size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
        const std::size_t start = i;
        while (i < text.size() && text[i] != ' ' && text[i] != '\t') ++i;
        if (i > start) tokens.push_back(text.substr(start, i - start));
    }
    return tokens;
}

bool is_blank(std::string_view line) { return line.find_first_not_of(" \t") == std::string_view::npos; }

enum class Section { none, segment_table, detailed_segments, publics, lines };

class MapParser {
public:
    MapParser(const ModuleLayout& layout, DebugTables& out) : layout_(layout), out_(out) {}

    void line(std::string_view line) {
        if (header(line)) return;
        switch (section_) {
            case Section::segment_table: segment_table_line(line); break;
            case Section::detailed_segments: detailed_segment_line(line); break;
            case Section::publics: public_line(line); break;
            case Section::lines: line_numbers_line(line); break;
            case Section::none: break;
        }
    }

    void finish() { sort_debug_tables(out_); }

private:
    bool header(std::string_view line) {
        const std::string_view t = trim_blanks(line);
        if (t.rfind("Start", 0) == 0 && t.find("Length") != std::string_view::npos &&
            t.find("Name") != std::string_view::npos && t.find("Class") != std::string_view::npos) {
            section_ = Section::segment_table;
        } else if (t == "Detailed map of segments") {
            section_ = Section::detailed_segments;
        } else if (t.find("Publics by Value") != std::string_view::npos) {
            sort_segments();
            section_ = Section::publics;
        } else if (t.find("Publics by Name") != std::string_view::npos || t == "Bound resource files") {
            section_ = Section::none;
        } else if (t.rfind("Line numbers for ", 0) == 0) {
            sort_segments();
            section_ = Section::lines;
            line_data_seen_ = false;
        } else if (t.rfind("Program entry point at ", 0) == 0) {
            entry_point(t);
            section_ = Section::none;
        } else {
            return false;
        }
        return true;
    }

    // " 0001:00401000 000456F8H .text                   CODE"
    void segment_table_line(std::string_view line) {
        if (!char_at(line, 5, ':') || !char_at(line, 14, ' ') || !char_at(line, 23, 'H')) return;
        const std::vector<std::string_view> tokens = tokens_of(line.substr(24));
        if (tokens.empty()) return;
        if (tokens[0] == ".text") {
            if (auto length = hex_at(line, 15, 8))
                code_size_ = static_cast<std::uint32_t>(
                    (std::uint64_t{*length} + kCodeSizeGranularity - 1) / kCodeSizeGranularity * kCodeSizeGranularity);
        } else if (tokens[0] == ".data") {
            const auto number = hex_at(line, 1, 4);
            data_segment_ = number && *number >= 2 && *number <= 9 ? *number : 2;
        }
    }

    // Segment number 1 up to the data segment; the code segments after the first follow the
    // first, rounded, code size.
    std::optional<std::uint32_t> address_of(std::uint32_t segment, std::uint32_t offset) const {
        if (segment < 1 || segment > data_segment_) return std::nullopt;
        if (segment == data_segment_) return layout_.DataStart + offset;
        return layout_.CodeStart + offset + (segment > 1 ? code_size_ : 0);
    }

    // " 0001:00000000 0000F1B8 C=CODE     S=.text    G=(none)   M=System   ACBP=A9"
    void detailed_segment_line(std::string_view line) {
        if (line.size() <= 72 || !char_at(line, 5, ':') || !char_at(line, 14, ' ') || !char_at(line, 23, ' ') ||
            line.substr(24, 2) != "C=")
            return;
        const auto segment = hex_at(line, 1, 4), offset = hex_at(line, 6, 8), length = hex_at(line, 15, 8);
        if (!segment || !offset || !length) return;
        const auto start = address_of(*segment, *offset);
        if (!start) return;
        const std::vector<std::string_view> tokens = tokens_of(line);
        if (tokens.size() < 2) return;
        std::string_view name = tokens[tokens.size() - 2];
        const std::size_t cut = name.find_last_of("=\\|");
        if (cut != std::string_view::npos) name.remove_prefix(cut + 1);
        TMfSegment seg;
        seg.IsCode = *segment < data_segment_;
        seg.Used = true;
        seg.Start = *start;
        seg.Length = *length;
        seg.Name = std::string(name);
        out_.Segments.push_back(std::move(seg));
        segments_sorted_ = false;
    }

    // " 0001:00012A40       RoadsumFrm.TRoadsumFrm.PricelistBtnClick"
    void public_line(std::string_view line) {
        if (!char_at(line, 5, ':') || line.size() <= 13) return;
        const auto segment = hex_at(line, 1, 4), offset = hex_at(line, 6, 8);
        if (!segment || !offset) return;
        const auto address = address_of(*segment, *offset);
        if (!address) return;
        std::string_view rest = line.substr(14);
        rest = trim_blanks(rest);
        if (!rest.empty() && rest.back() == ')') {
            const std::size_t open = rest.rfind('(');
            if (open != std::string_view::npos) rest = trim_blanks(rest.substr(0, open));
        }
        const std::vector<std::string_view> tokens = tokens_of(rest);
        if (tokens.empty()) return;
        std::string_view name = tokens.back();
        const TMfSegment* seg = find_segment(out_.Segments, *address, *segment < data_segment_);
        if (seg && !seg->Name.empty() && name.size() > seg->Name.size() &&
            starts_with_ignoring_case(name, seg->Name))
            name.remove_prefix(seg->Name.size() + 1);
        TMfPublic pub;
        pub.IsCode = *segment < data_segment_;
        pub.Used = true;
        pub.Name = std::string(name);
        pub.Address = *address;
        out_.Publics.push_back(std::move(pub));
    }

    // "   112 0001:00012A40   113 0001:00012A4C"
    void line_numbers_line(std::string_view line) {
        if (is_blank(line)) {
            if (line_data_seen_) section_ = Section::none;
            return;
        }
        line_data_seen_ = true;
        const std::vector<std::string_view> tokens = tokens_of(line);
        for (std::size_t i = 0; i + 1 < tokens.size(); i += 2) {
            const std::string_view number = tokens[i], where = tokens[i + 1];
            if (number.empty() || number.size() > 9 || number.find_first_not_of("0123456789") != std::string_view::npos)
                continue;
            if (where.size() != 13 || where[4] != ':') continue;
            const auto segment = hex_at(where, 0, 4), offset = hex_at(where, 5, 8);
            if (!segment || !offset || *segment < 1 || *segment >= data_segment_) continue;
            const std::int32_t line_number = static_cast<std::int32_t>(std::stol(std::string(number)));
            out_.Lines.push_back({line_number, layout_.CodeStart + *offset + (*segment >= 2 ? code_size_ : 0)});
        }
    }

    // "Program entry point at 0001:0004A3C4". A line of 35 characters, the shortest that
    // counts, holds only seven digits of the offset; they are taken as they are.
    void entry_point(std::string_view line) {
        constexpr std::size_t at = std::string_view("Program entry point at ").size();
        if (line.size() < 35 || !char_at(line, at + 4, ':') || !hex_at(line, at, 4)) return;
        std::size_t digits = 0;
        while (digits < 8 && at + 5 + digits < line.size() && hex_digit_value(line[at + 5 + digits]) >= 0) ++digits;
        if (digits == 0) return;
        if (const auto offset = hex_at(line, at + 5, digits)) out_.EntryAddress = *offset + layout_.CodeStart;
    }

    void sort_segments() {
        if (segments_sorted_) return;
        roadsum::sort_segments(out_.Segments);
        segments_sorted_ = true;
    }

    const ModuleLayout& layout_;
    DebugTables& out_;
    Section section_ = Section::none;
    std::uint32_t code_size_ = 0;
    std::uint32_t data_segment_ = 2;
    bool segments_sorted_ = true;
    bool line_data_seen_ = false;
};

template <typename Visit>
void for_each_line(std::string_view text, Visit visit) {
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find_first_of("\r\n", pos);
        if (end == std::string_view::npos) end = text.size();
        if (!visit(text.substr(pos, end - pos))) return;
        pos = end;
        if (pos < text.size() && text[pos] == '\r') ++pos;
        if (pos < text.size() && text[pos] == '\n') ++pos;
    }
}

}  // namespace

void parse_map_text(std::string_view text, const ModuleLayout& layout, DebugTables& out) {
    MapParser parser(layout, out);
    for_each_line(text, [&](std::string_view line) {
        try {
            parser.line(line);
        } catch (const std::exception&) {
            // A line that cannot be taken counts as one that does not match.
        }
        return true;
    });
    parser.finish();
}

std::optional<std::uint32_t> map_text_code_address(std::string_view text) {
    std::optional<std::uint32_t> found;
    for_each_line(text, [&](std::string_view line) {
        if (char_at(line, 5, ':') && char_at(line, 14, ' ') && char_at(line, 23, 'H')) {
            const std::vector<std::string_view> tokens = tokens_of(line.substr(24));
            if (!tokens.empty() && tokens[0] == ".text") found = hex_at(line, 6, 8);
        }
        return !found && trim_blanks(line) != "Detailed map of segments";
    });
    return found;
}

}  // namespace roadsum
