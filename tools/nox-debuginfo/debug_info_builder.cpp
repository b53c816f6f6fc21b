#include "debug_info_builder.h"

#include <algorithm>
#include <map>
#include <optional>

#include "coff_symbols.h"
#include "crash/archive/crc32.h"
#include "code_lines.h"
#include "dwarf_functions.h"
#include "dwarf_lines.h"
#include "symbol_names.h"

namespace roadsum {

namespace {

struct Symbol {
    std::uint32_t address = 0;
    const CoffSymbol* coff = nullptr;
    std::string name;  // when it is not the symbol's own
    int rank() const { return (coff->is_function() ? 2 : 0) + (coff->storage == CoffSymbol::kExternal ? 1 : 0); }
    const std::string& shown_name() const { return name.empty() ? coff->name : name; }
};

// A library's cold part of a function may have no symbol of its own, only its input section
// ".text.unlikely.<function>": it is named as the compiler names the cold parts it labels.
std::string cold_part_name(const CoffSymbol& s) {
    constexpr std::string_view kCold = ".text.unlikely.";
    if (s.storage != CoffSymbol::kStatic || s.name.size() <= kCold.size() || !s.name.starts_with(kCold)) return {};
    return "_" + s.name.substr(kCold.size()) + ".cold";
}

// Where a symbol lies when it lies in the code.
std::optional<std::uint32_t> code_address(const CoffSymbol& s, const PeHeaders& h, const ModuleLayout& l) {
    if (s.section <= 0 || static_cast<std::size_t>(s.section) > h.sections.size() || s.name.empty()) return std::nullopt;
    const std::uint32_t address = l.Sections[s.section - 1].start + s.value;
    if (address < l.CodeStart || address >= l.CodeEnd) return std::nullopt;
    return address;
}

// Functions of the code section; external labels too (import stubs, assembly routines), and
// cold parts known only by their section, but not other section symbols or local labels.
std::vector<Symbol> code_symbols(const std::vector<CoffSymbol>& coff, const PeHeaders& h, const ModuleLayout& l) {
    std::vector<Symbol> symbols;
    for (const CoffSymbol& s : coff) {
        const bool wanted = s.storage == CoffSymbol::kExternal || (s.storage == CoffSymbol::kStatic && s.is_function());
        const std::optional<std::uint32_t> address = code_address(s, h, l);
        if (!address) continue;
        if (wanted && s.name[0] != '.') {
            symbols.push_back({*address, &s, {}});
        } else if (std::string cold = cold_part_name(s); !cold.empty()) {
            symbols.push_back({*address, &s, std::move(cold)});  // a labelled part at its place wins
        }
    }
    std::stable_sort(symbols.begin(), symbols.end(), [](const Symbol& a, const Symbol& b) {
        return a.address != b.address ? a.address < b.address : a.rank() > b.rank();
    });
    symbols.erase(std::unique(symbols.begin(), symbols.end(),
                              [](const Symbol& a, const Symbol& b) { return a.address == b.address; }),
                  symbols.end());
    return symbols;
}

// Where the linker put the input sections of the code: each may come from another object
// (a library's cold parts among them), so a segment's reach over padding ends at the next.
std::vector<Symbol> section_starts(const std::vector<CoffSymbol>& coff, const PeHeaders& h, const ModuleLayout& l) {
    std::vector<Symbol> starts;
    for (const CoffSymbol& s : coff) {
        const std::optional<std::uint32_t> address = code_address(s, h, l);
        if (address && s.storage == CoffSymbol::kStatic && s.name[0] == '.') starts.push_back({*address, &s, {}});
    }
    std::sort(starts.begin(), starts.end(), [](const Symbol& a, const Symbol& b) { return a.address < b.address; });
    return starts;
}

// The address of the first symbol at or after from; the end of the code when none.
std::uint32_t next_symbol(const std::vector<Symbol>& symbols, std::uint32_t from, std::uint32_t code_end) {
    auto it = std::lower_bound(symbols.begin(), symbols.end(), from,
                               [](const Symbol& s, std::uint32_t a) { return s.address < a; });
    return it != symbols.end() ? it->address : code_end;
}

std::uint32_t segment_end(const TMfSegment& s) { return s.Start + s.Length; }

void add_segment(DebugTables& t, std::uint32_t start, std::uint32_t end, const std::string& unit) {
    TMfSegment seg;
    seg.IsCode = seg.Used = true;
    seg.Start = start;
    seg.Length = end - start;
    seg.Name = unit;
    t.Segments.push_back(std::move(seg));
}

}  // namespace

std::optional<BuiltDebugInfo> build_debug_info(std::string_view file, std::string& error) {
    const PeFileImage image{std::string(file)};
    const std::optional<PeHeaders>& headers = image.headers();
    if (!headers) {
        error = "not a 32-bit PE image";
        return std::nullopt;
    }
    BuiltDebugInfo out;
    out.headers = *headers;
    out.layout = module_layout(*headers, headers->image_base);
    const ModuleLayout& l = out.layout;
    if (headers->sections.empty() || !headers->sections[0].is_code()) {
        error = "the first section holds no code";
        return std::nullopt;
    }
    const PeSectionHeader& code = headers->sections[0];
    out.code_crc = crc32(bytes_of(stored_bytes(file, code)));

    const std::vector<CoffSymbol> coff = read_coff_symbols(file, *headers);
    const std::vector<Symbol> symbols = code_symbols(coff, *headers, l);
    const std::vector<Symbol> sections = section_starts(coff, *headers, l);
    if (symbols.empty()) {
        error = "no function symbols (a stripped executable?)";
        return std::nullopt;
    }
    const auto section = [&](std::string_view name) { return section_bytes(file, *headers, name); };
    DwarfSections dwarf;
    dwarf.line = section(".debug_line"), dwarf.line_str = section(".debug_line_str"), dwarf.str = section(".debug_str");
    dwarf.info = section(".debug_info"), dwarf.abbrev = section(".debug_abbrev"), dwarf.addr = section(".debug_addr");
    dwarf.ranges = section(".debug_ranges"), dwarf.rnglists = section(".debug_rnglists");
    std::string line_error, info_error;
    const std::vector<LineUnit> line_units = read_line_tables(dwarf, line_error);
    const std::vector<InfoUnit> info_units = read_debug_info(dwarf, info_error);
    if (!line_error.empty()) out.warning = "line tables: " + line_error;
    if (!info_error.empty())
        out.warning += (out.warning.empty() ? "" : "; ") + std::string("debug information: ") + info_error;

    // Segments of the code with debug information, named after the source file of each
    // function. A segment reaches over the padding after its code up to the next piece or
    // symbol, where the return address of a call that does not return may lie; neighbouring
    // pieces of one unit are joined unless a function of other code lies between them. Lines
    // go to one block per unit and source file.
    DebugTables& t = out.tables;
    std::map<std::pair<std::string, std::string>, std::size_t> unit_lines_of;  // -> index in out.unit_lines
    const std::vector<CodePiece> pieces = code_pieces(line_units, info_units, l.CodeStart, l.CodeEnd);
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        const CodePiece& p = pieces[i];
        const std::string unit = unit_name_of_source(p.source);
        if (unit.empty()) continue;
        const std::uint32_t next_piece = i + 1 < pieces.size() ? pieces[i + 1].start : l.CodeEnd;
        const std::uint32_t end = std::min({next_piece, next_symbol(symbols, p.end, l.CodeEnd),
                                            next_symbol(sections, p.end, l.CodeEnd)});
        if (!t.Segments.empty() && t.Segments.back().Name == unit && segment_end(t.Segments.back()) == p.start)
            t.Segments.back().Length = end - t.Segments.back().Start;
        else
            add_segment(t, p.start, end, unit);
        auto [slot, added] = unit_lines_of.try_emplace({unit, p.source}, out.unit_lines.size());
        if (added) out.unit_lines.push_back({unit, p.source, {}});
        std::vector<TMfLine>& lines = out.unit_lines[slot->second].lines;
        lines.insert(lines.end(), p.lines.begin(), p.lines.end());
    }
    for (const UnitLines& u : out.unit_lines) t.Lines.insert(t.Lines.end(), u.lines.begin(), u.lines.end());

    // Code without line tables: a segment per run of functions from one object file, up to
    // the next function of another file, the next unit or the end of the code.
    std::vector<TMfSegment> covered = t.Segments;
    std::stable_sort(covered.begin(), covered.end(), [](const TMfSegment& a, const TMfSegment& b) { return a.Start < b.Start; });
    const auto covering = [&](std::uint32_t address) -> const TMfSegment* {
        auto it = std::upper_bound(covered.begin(), covered.end(), address,
                                   [](std::uint32_t a, const TMfSegment& s) { return a < s.Start; });
        return it != covered.begin() && address - std::prev(it)->Start < std::prev(it)->Length ? &*std::prev(it) : nullptr;
    };
    const auto next_covered_start = [&](std::uint32_t address) {
        auto it = std::upper_bound(covered.begin(), covered.end(), address,
                                   [](std::uint32_t a, const TMfSegment& s) { return a < s.Start; });
        return it == covered.end() ? l.CodeEnd : it->Start;
    };
    bool open = false;
    for (std::size_t i = 0; i < symbols.size(); ++i) {
        const Symbol& s = symbols[i];
        if (covering(s.address)) {
            open = false;
            continue;
        }
        const std::string unit = unit_name_of_source(s.coff->file);
        const std::uint32_t end =
            std::min(i + 1 < symbols.size() ? symbols[i + 1].address : l.CodeEnd, next_covered_start(s.address));
        if (unit.empty()) {
            open = false;
        } else if (open && t.Segments.back().Name == unit && t.Segments.back().Start + t.Segments.back().Length == s.address) {
            t.Segments.back().Length = end - t.Segments.back().Start;
        } else {
            add_segment(t, s.address, end, unit);
            open = true;
        }
    }
    sort_debug_tables(t);

    // Publics, named with the unit their code lies in.
    for (const Symbol& s : symbols) {
        auto it = std::upper_bound(t.Segments.begin(), t.Segments.end(), s.address,
                                   [](std::uint32_t a, const TMfSegment& seg) { return a < seg.Start; });
        std::string unit;
        if (it != t.Segments.begin() && s.address - std::prev(it)->Start < std::prev(it)->Length)
            unit = std::prev(it)->Name;
        TMfPublic pub;
        pub.IsCode = pub.Used = true;
        pub.Address = s.address;
        pub.Name = stored_symbol_name(s.shown_name(), unit);
        t.Publics.push_back(std::move(pub));
    }
    t.EntryAddress = headers->entry_point ? headers->image_base + headers->entry_point : 0;
    return out;
}

}  // namespace roadsum
