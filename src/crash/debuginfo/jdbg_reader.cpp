#include "crash/debuginfo/jdbg_reader.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "crash/common/bounded_bytes.h"
#include "crash/common/text_lists.h"

namespace roadsum {

namespace {

constexpr std::size_t kHeaderSize = 34;
constexpr std::int32_t kEndOfList = 0x7FFFFFFF;
constexpr std::size_t kMaxWordLength = 4096;

struct Header {
    std::uint32_t units = 0, source_names = 0, symbols = 0, line_numbers = 0, words = 0;
};

// One list of columns of difference-coded values.
class ValueList {
public:
    ValueList(std::string_view data, std::uint32_t at) : data_(data), at_(at) {}

    // The next value; nullopt at the end marker. Broken when the list runs off the data.
    std::optional<std::int32_t> next() {
        std::uint32_t value = 0;
        for (int shift = 0;; shift += 7) {
            if (shift > 28 || at_ >= data_.size()) {
                broken_ = true;
                return std::nullopt;
            }
            const auto b = static_cast<std::uint8_t>(data_[at_++]);
            value |= static_cast<std::uint32_t>(b & 0x7F) << shift;
            if ((b & 0x80) == 0) break;
        }
        if (static_cast<std::int32_t>(value) == kEndOfList) return std::nullopt;
        return static_cast<std::int32_t>(value);
    }

    // Reads one row of n columns, each added to its running total; false at the list's end.
    template <std::size_t N>
    bool row(std::int32_t (&totals)[N]) {
        for (std::size_t i = 0; i < N; ++i) {
            const auto v = next();
            if (!v) return false;
            totals[i] = static_cast<std::int32_t>(static_cast<std::uint32_t>(totals[i]) + static_cast<std::uint32_t>(*v));
        }
        return true;
    }

    bool broken() const { return broken_; }

private:
    std::string_view data_;
    std::uint32_t at_;
    bool broken_ = false;
};

char six_bit_char(std::uint8_t code) {
    if (code <= 26) return static_cast<char>('a' + code - 1);
    if (code <= 52) return static_cast<char>('A' + code - 27);
    if (code <= 62) return static_cast<char>('0' + code - 53);
    return '_';
}

std::string word_at(std::string_view data, std::uint32_t words, std::int32_t offset) {
    if (offset <= 0) return {};
    std::size_t at = std::size_t{words} + static_cast<std::uint32_t>(offset);
    if (at >= data.size()) return {};
    std::string word;
    if (data[at] == 1) {
        for (++at; at < data.size() && data[at] != 0 && word.size() < kMaxWordLength; ++at) word += data[at];
        return word;
    }
    if (data[at] == 2) {
        word = "@@";
        ++at;
    }
    for (std::size_t i = 0; word.size() < kMaxWordLength; ++i) {
        const std::size_t byte = at + i / 4 * 3;
        const auto b = [&](std::size_t k) -> std::uint8_t {
            return byte + k < data.size() ? static_cast<std::uint8_t>(data[byte + k]) : 0;
        };
        std::uint8_t code = 0;
        switch (i % 4) {
            case 0: code = b(0) >> 2; break;
            case 1: code = static_cast<std::uint8_t>((b(0) & 0x03) << 4 | b(1) >> 4); break;
            case 2: code = static_cast<std::uint8_t>((b(1) & 0x0F) << 2 | b(2) >> 6); break;
            default: code = b(2) & 0x3F; break;
        }
        if (code == 0) break;
        word += six_bit_char(code);
    }
    return word;
}

std::optional<Header> read_header(std::string_view data) {
    const BoundedBytes b(data);
    if (data.size() < kHeaderSize || data.substr(0, 4) != kJdbgSignature) return std::nullopt;
    Header h;
    b.u32(5, h.units);
    b.u32(9, h.source_names);
    b.u32(13, h.symbols);
    b.u32(17, h.line_numbers);
    b.u32(21, h.words);
    for (std::uint32_t at : {h.units, h.source_names, h.symbols, h.line_numbers, h.words})
        if (at < kHeaderSize || at > data.size()) return std::nullopt;
    return h;
}

}  // namespace

bool read_jdbg(std::string_view data, const ModuleLayout& layout, DebugTables& out) {
    const std::optional<Header> h = read_header(data);
    if (!h) return false;

    ValueList units(data, h->units);
    std::int32_t unit_row[2] = {0, 0};
    while (units.row(unit_row)) {
        TMfSegment seg;
        seg.IsCode = seg.Used = true;
        seg.Start = layout.CodeStart + static_cast<std::uint32_t>(unit_row[0]);
        seg.Name = word_at(data, h->words, unit_row[1]);
        out.Segments.push_back(std::move(seg));
    }
    // The source file names are not needed, but a broken list makes the data suspect.
    ValueList sources(data, h->source_names);
    std::int32_t source_row[2] = {0, 0};
    while (sources.row(source_row)) continue;
    ValueList symbols(data, h->symbols);
    std::int32_t symbol_row[3] = {0, 0, 0};
    std::vector<std::pair<std::string, std::string>> names;
    while (symbols.row(symbol_row)) {
        TMfPublic pub;
        pub.IsCode = pub.Used = true;
        pub.Address = layout.CodeStart + static_cast<std::uint32_t>(symbol_row[0]);
        names.emplace_back(word_at(data, h->words, symbol_row[1]), word_at(data, h->words, symbol_row[2]));
        out.Publics.push_back(std::move(pub));
    }
    ValueList lines(data, h->line_numbers);
    std::int32_t line_row[2] = {0, 0};
    while (lines.row(line_row)) out.Lines.push_back({line_row[1], layout.CodeStart + static_cast<std::uint32_t>(line_row[0])});
    if (units.broken() || sources.broken() || symbols.broken() || lines.broken()) return false;

    // A unit reaches to the next one; the last to the end of the code, or past the last
    // address known when the end is not.
    std::stable_sort(out.Segments.begin(), out.Segments.end(),
                     [](const TMfSegment& a, const TMfSegment& b) { return a.Start < b.Start; });
    std::uint32_t last = 0;
    for (const TMfPublic& p : out.Publics) last = std::max(last, p.Address);
    for (const TMfLine& l : out.Lines) last = std::max(last, l.Address);
    for (std::size_t i = 0; i < out.Segments.size(); ++i) {
        TMfSegment& s = out.Segments[i];
        const std::uint32_t end = i + 1 < out.Segments.size() ? out.Segments[i + 1].Start
                                  : layout.CodeEnd > s.Start ? layout.CodeEnd
                                                             : std::max(last, s.Start) + 1;
        s.Length = end - s.Start;
    }
    // Symbol names carry their unit as a prefix; within that unit's segment it is left out.
    for (std::size_t i = 0; i < out.Publics.size(); ++i) {
        TMfPublic& p = out.Publics[i];
        auto& [prefix, name] = names[i];
        auto seg = std::upper_bound(out.Segments.begin(), out.Segments.end(), p.Address,
                                    [](std::uint32_t a, const TMfSegment& s) { return a < s.Start; });
        const bool in_unit = seg != out.Segments.begin() && equal_ignoring_case(std::prev(seg)->Name, prefix);
        p.Name = prefix.empty() || in_unit ? std::move(name) : prefix + "." + name;
    }
    sort_debug_tables(out);
    return !out.empty();
}

}  // namespace roadsum
