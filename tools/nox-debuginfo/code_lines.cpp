#include "code_lines.h"

#include <algorithm>
#include <map>
#include <set>
#include <unordered_map>

namespace roadsum {

namespace {

// Files by number, so that places compare cheaply; 0 is no file.
class FileIds {
public:
    FileIds() : names_{""} { ids_.emplace("", 0); }
    std::uint32_t of(const std::string& path) {
        auto [it, added] = ids_.try_emplace(path, static_cast<std::uint32_t>(names_.size()));
        if (added) names_.push_back(path);
        return it->second;
    }
    const std::string& name(std::uint32_t id) const { return names_[id]; }

private:
    std::unordered_map<std::string, std::uint32_t> ids_;
    std::vector<std::string> names_;
};

// Where the code from an address on comes from.
struct Place {
    std::uint32_t address = 0;
    std::int32_t line = 0;
    std::uint32_t file = 0;
};

struct Sequence {
    std::uint32_t start = 0, end = 0;
    std::vector<Place> rows;  // one per address: the last row the program gives it
};

// One line table, its files numbered by FileIds.
struct Table {
    std::vector<std::uint32_t> files;
    std::uint32_t source = 0;
    std::vector<Sequence> sequences;  // by start

    std::uint32_t file(std::uint64_t index) const { return index < files.size() ? files[index] : 0; }

    // The row in effect at address, with the address it starts at; file 0 outside the
    // sequences.
    Place at(std::uint32_t address) const {
        auto seq = std::upper_bound(sequences.begin(), sequences.end(), address,
                                    [](std::uint32_t a, const Sequence& s) { return a < s.start; });
        if (seq == sequences.begin() || address >= std::prev(seq)->end) return {address, 0, 0};
        const std::vector<Place>& rows = std::prev(seq)->rows;
        return *std::prev(std::upper_bound(rows.begin(), rows.end(), address,
                                           [](std::uint32_t a, const Place& p) { return a < p.address; }));
    }
};

Table prepared(const LineUnit& unit, FileIds& ids) {
    Table t;
    for (const std::string& f : unit.files) t.files.push_back(ids.of(f));
    t.source = ids.of(unit.source);
    for (const LineSequence& s : unit.sequences) {
        // Rows go up in address; should a broken table not keep to that, the order is made.
        std::vector<LineRow> rows = s.rows;
        std::stable_sort(rows.begin(), rows.end(),
                         [](const LineRow& a, const LineRow& b) { return a.address < b.address; });
        Sequence seq;
        seq.start = rows.front().address;
        seq.end = s.end;
        if (seq.end <= seq.start) continue;
        for (const LineRow& r : rows) {
            if (!seq.rows.empty() && seq.rows.back().address == r.address) seq.rows.pop_back();
            seq.rows.push_back({r.address, r.line, t.file(r.file)});
        }
        t.sequences.push_back(std::move(seq));
    }
    std::stable_sort(t.sequences.begin(), t.sequences.end(),
                     [](const Sequence& a, const Sequence& b) { return a.start < b.start; });
    return t;
}

struct CallPlace {
    std::uint32_t start = 0, end = 0;
    std::int32_t line = 0;
    std::uint32_t file = 0;
};

// The outermost inlined calls of a function, by start.
std::vector<CallPlace> call_places(const DwarfFunction& f, const std::map<std::uint64_t, Table>& tables) {
    std::vector<CallPlace> calls;
    for (const InlinedCall& c : f.calls) {
        auto table = tables.find(c.file.table);
        const std::uint32_t file = table != tables.end() ? table->second.file(c.file.index) : 0;
        for (const AddressRange& r : c.ranges) calls.push_back({r.start, r.end, c.line, file});
    }
    std::stable_sort(calls.begin(), calls.end(), [](const CallPlace& a, const CallPlace& b) { return a.start < b.start; });
    return calls;
}

// The places of [r.start, r.end): inside an inlined call the place of the call, elsewhere the
// row of the line table.
std::vector<Place> places_in(AddressRange r, const Table& table, const std::vector<CallPlace>& calls) {
    std::vector<std::uint32_t> points{r.start};
    const auto inside = [&](std::uint32_t a) { return a > r.start && a < r.end; };
    auto seq = std::upper_bound(table.sequences.begin(), table.sequences.end(), r.start,
                                [](std::uint32_t a, const Sequence& s) { return a < s.start; });
    if (seq != table.sequences.begin()) --seq;
    for (; seq != table.sequences.end() && seq->start < r.end; ++seq) {
        for (std::uint32_t a : {seq->start, seq->end})
            if (inside(a)) points.push_back(a);
        auto row = std::upper_bound(seq->rows.begin(), seq->rows.end(), r.start,
                                    [](std::uint32_t a, const Place& p) { return a < p.address; });
        for (; row != seq->rows.end() && row->address < r.end; ++row) points.push_back(row->address);
    }
    for (const CallPlace& c : calls)
        for (std::uint32_t a : {c.start, c.end})
            if (inside(a)) points.push_back(a);
    std::sort(points.begin(), points.end());
    points.erase(std::unique(points.begin(), points.end()), points.end());

    // A row that began before the piece is another function's (a cold part often has no
    // row of its own at its start): it says nothing about this code.
    std::vector<Place> places;
    for (std::uint32_t a : points) {
        auto call = std::upper_bound(calls.begin(), calls.end(), a,
                                     [](std::uint32_t x, const CallPlace& c) { return x < c.start; });
        if (call != calls.begin() && a < std::prev(call)->end) {
            places.push_back({a, std::prev(call)->line, std::prev(call)->file});
            continue;
        }
        const Place row = table.at(a);
        places.push_back(row.address < r.start ? Place{a, 0, 0} : Place{a, row.line, row.file});
    }
    return places;
}

// The file the code of a function (or of a stretch) shows: the one it is defined in when its
// code names that file anywhere, else the one its code names most often.
std::uint32_t home_file(std::uint32_t declared, const std::vector<const std::vector<Place>*>& parts) {
    std::map<std::uint32_t, std::size_t> count;
    for (const std::vector<Place>* places : parts)
        for (const Place& p : *places)
            if (p.file != 0 && p.line > 0) ++count[p.file];
    if (declared != 0 && (count.empty() || count.count(declared))) return declared;
    auto most = std::max_element(count.begin(), count.end(),
                                 [](const auto& a, const auto& b) { return a.second < b.second; });
    return most == count.end() ? declared : most->first;
}

// The lines of the home file; code from other files (inlined code the compiler lost track of)
// keeps the line before it. The first record stands at the start: the first line of the home
// file in the piece, else the line the function is defined at.
std::vector<TMfLine> home_lines(const std::vector<Place>& places, std::uint32_t home, std::int32_t defined_at,
                                std::uint32_t start) {
    std::vector<TMfLine> lines;
    for (const Place& p : places) {
        if (p.file != home || p.line <= 0 || (!lines.empty() && lines.back().Line == p.line)) continue;
        lines.push_back({p.line, p.address});
    }
    if (!lines.empty())
        lines.front().Address = start;
    else if (defined_at > 0)
        lines.push_back({defined_at, start});
    return lines;
}

struct Part {
    AddressRange range;
    const Table* table = nullptr;
    const DwarfFunction* function = nullptr;  // none for code that only a line table describes
    std::vector<Place> places;
};

// Keeps the first of overlapping parts (they come by start, earlier units first).
void drop_overlaps(std::vector<Part>& parts) {
    std::stable_sort(parts.begin(), parts.end(),
                     [](const Part& a, const Part& b) { return a.range.start < b.range.start; });
    std::vector<Part> kept;
    for (Part& p : parts)
        if (kept.empty() || p.range.start >= kept.back().range.end) kept.push_back(std::move(p));
    parts = std::move(kept);
}

// What of r lies outside the sorted, disjoint ranges.
std::vector<AddressRange> outside(AddressRange r, const std::vector<AddressRange>& taken) {
    std::vector<AddressRange> rest;
    auto it = std::upper_bound(taken.begin(), taken.end(), r.start,
                               [](std::uint32_t a, const AddressRange& t) { return a < t.start; });
    if (it != taken.begin()) --it;
    std::uint32_t from = r.start;
    for (; it != taken.end() && it->start < r.end; ++it) {
        if (it->end <= from) continue;
        if (it->start > from) rest.push_back({from, it->start});
        from = std::max(from, it->end);
    }
    if (from < r.end) rest.push_back({from, r.end});
    return rest;
}

std::vector<AddressRange> clipped(AddressRange r, const std::vector<AddressRange>& to) {
    std::vector<AddressRange> out;
    for (const AddressRange& t : to)
        if (std::max(r.start, t.start) < std::min(r.end, t.end))
            out.push_back({std::max(r.start, t.start), std::min(r.end, t.end)});
    return out;
}

// Code that line tables describe but no function: assembly routines, and functions whose
// entries the compiler left out. Each stretch begins at its first row that does not stand at
// the end of a function (the row of the return address of a call that does not return, in
// the padding after it), and lies inside its unit's ranges when the unit names them.
std::vector<Part> line_table_parts(const std::vector<LineUnit>& line_units, const std::vector<InfoUnit>& info_units,
                                   const std::map<std::uint64_t, Table>& tables, const std::vector<Part>& functions,
                                   std::uint32_t code_start, std::uint32_t code_end) {
    std::vector<AddressRange> taken;
    std::set<std::uint32_t> function_ends;
    for (const Part& p : functions) {
        taken.push_back(p.range);
        function_ends.insert(p.range.end);
    }
    std::map<std::uint64_t, std::vector<AddressRange>> unit_ranges;
    for (const InfoUnit& u : info_units)
        if (!u.ranges.empty()) unit_ranges.try_emplace(u.line_table, u.ranges);

    std::vector<Part> parts;
    for (const LineUnit& unit : line_units) {
        const Table& table = tables.at(unit.offset);
        const auto claimed = unit_ranges.find(unit.offset);
        for (const Sequence& seq : table.sequences) {
            if (seq.start < code_start || seq.end > code_end) continue;
            std::vector<AddressRange> pieces = outside({seq.start, seq.end}, taken);
            if (claimed != unit_ranges.end()) {
                std::vector<AddressRange> inside;
                for (const AddressRange& r : pieces)
                    for (const AddressRange& c : clipped(r, claimed->second)) inside.push_back(c);
                pieces = std::move(inside);
            }
            for (AddressRange r : pieces) {
                auto row = std::lower_bound(seq.rows.begin(), seq.rows.end(), r.start,
                                            [](const Place& p, std::uint32_t a) { return p.address < a; });
                while (row != seq.rows.end() && function_ends.count(row->address)) ++row;
                if (row == seq.rows.end() || row->address >= r.end) continue;
                r.start = row->address;
                parts.push_back({r, &table, nullptr, places_in(r, table, {})});
            }
        }
    }
    drop_overlaps(parts);
    return parts;
}

}  // namespace

std::vector<CodePiece> code_pieces(const std::vector<LineUnit>& line_units, const std::vector<InfoUnit>& info_units,
                                   std::uint32_t code_start, std::uint32_t code_end) {
    FileIds ids;
    std::map<std::uint64_t, Table> tables;
    for (const LineUnit& u : line_units) tables.try_emplace(u.offset, prepared(u, ids));
    static const Table kNoTable;
    const auto table_of = [&](std::uint64_t offset) -> const Table& {
        auto it = tables.find(offset);
        return it != tables.end() ? it->second : kNoTable;
    };

    std::vector<Part> functions;
    for (const InfoUnit& u : info_units)
        for (const DwarfFunction& f : u.functions)
            for (const AddressRange& r : f.ranges)
                if (r.start >= code_start && r.end <= code_end) functions.push_back({r, &table_of(u.line_table), &f, {}});
    drop_overlaps(functions);

    std::map<const DwarfFunction*, std::vector<Part*>> parts_of;
    for (Part& p : functions) parts_of[p.function].push_back(&p);
    for (auto& [f, parts] : parts_of) {
        const std::vector<CallPlace> calls = call_places(*f, tables);
        for (Part* p : parts) p->places = places_in(p->range, *p->table, calls);
    }

    std::vector<CodePiece> pieces;
    const auto add = [&](const std::vector<Part*>& parts, std::uint32_t declared, std::int32_t defined_at) {
        std::vector<const std::vector<Place>*> places;
        for (const Part* p : parts) places.push_back(&p->places);
        const std::uint32_t home = home_file(declared, places);
        for (const Part* p : parts) {
            std::vector<TMfLine> lines = home_lines(p->places, home, defined_at, p->range.start);
            pieces.push_back({p->range.start, p->range.end, ids.name(home), std::move(lines)});
        }
    };
    for (const auto& [f, parts] : parts_of) add(parts, table_of(f->file.table).file(f->file.index), f->line);
    for (Part& p : line_table_parts(line_units, info_units, tables, functions, code_start, code_end))
        add({&p}, p.table->source, 0);

    std::sort(pieces.begin(), pieces.end(), [](const CodePiece& a, const CodePiece& b) { return a.start < b.start; });
    return pieces;
}

}  // namespace roadsum
