#include "dwarf_functions.h"

#include <algorithm>
#include <map>
#include <optional>
#include <unordered_map>

#include "dwarf_cursor.h"

namespace roadsum {

namespace {

// Other entries (lexical blocks, namespaces, classes) are looked into for what they hold.
enum Tag : std::uint64_t { kTagCompileUnit = 0x11, kTagInlinedSubroutine = 0x1d, kTagSubprogram = 0x2e, kTagPartialUnit = 0x3c };
enum Attribute : std::uint64_t {
    kAtStmtList = 0x10, kAtLowPc = 0x11, kAtHighPc = 0x12, kAtAbstractOrigin = 0x31, kAtDeclFile = 0x3a,
    kAtDeclLine = 0x3b, kAtSpecification = 0x47, kAtRanges = 0x55, kAtCallFile = 0x58, kAtCallLine = 0x59,
    kAtAddrBase = 0x73, kAtRnglistsBase = 0x74,
};
enum UnitType : std::uint8_t { kUnitCompile = 1, kUnitPartial = 3 };
constexpr int kMaxOriginSteps = 8;

struct Value {
    enum Kind { none, constant, address, address_index, reference, section_offset, list_index } kind = none;
    std::uint64_t number = 0;
};

struct AttributeSpec {
    std::uint64_t name = 0, form = 0;
    std::int64_t implicit = 0;  // DW_FORM_implicit_const
};

struct Abbreviation {
    std::uint64_t tag = 0;
    bool children = false;
    std::vector<AttributeSpec> attributes;
};

using AbbreviationTable = std::unordered_map<std::uint64_t, Abbreviation>;

struct UnitHeader {
    std::uint64_t offset = 0, end = 0, first_entry = 0;
    std::uint16_t version = 0;
    std::uint8_t type = kUnitCompile, address_size = 4;
    std::uint64_t abbrev_offset = 0;
    const AbbreviationTable* abbreviations = nullptr;
    // From the unit's own entry.
    std::uint64_t line_table = FileRef::kNoTable, addr_base = 0, rnglists_base = 0;
    std::uint32_t base_address = 0;
};

// The attributes of one entry that matter here.
struct Entry {
    std::uint64_t tag = 0;
    bool children = false;
    std::optional<Value> low_pc, high_pc, ranges, decl_file, decl_line, call_file, call_line, origin, specification,
        stmt_list, addr_base, rnglists_base;
};

std::optional<Value>* slot_of(Entry& e, std::uint64_t name) {
    switch (name) {
        case kAtLowPc: return &e.low_pc;
        case kAtHighPc: return &e.high_pc;
        case kAtRanges: return &e.ranges;
        case kAtDeclFile: return &e.decl_file;
        case kAtDeclLine: return &e.decl_line;
        case kAtCallFile: return &e.call_file;
        case kAtCallLine: return &e.call_line;
        case kAtAbstractOrigin: return &e.origin;
        case kAtSpecification: return &e.specification;
        case kAtStmtList: return &e.stmt_list;
        case kAtAddrBase: return &e.addr_base;
        case kAtRnglistsBase: return &e.rnglists_base;
        default: return nullptr;
    }
}

class InfoReader {
public:
    explicit InfoReader(const DwarfSections& s) : s_(s) {}

    std::vector<InfoUnit> read(std::string& error) {
        std::vector<InfoUnit> units;
        error.clear();
        try {
            read_unit_headers(error);
            for (UnitHeader& u : headers_) {
                if (u.type != kUnitCompile && u.type != kUnitPartial) continue;
                units.push_back(read_unit(u));
            }
        } catch (const DwarfBroken& b) {
            error = b.what;
        }
        return units;
    }

private:
    // All headers first, as far as they can be read: a reference may point into a later unit.
    void read_unit_headers(std::string& error) try {
        DwarfCursor c(s_.info);
        while (!c.done(s_.info.size())) {
            UnitHeader u;
            u.offset = c.at();
            const std::uint64_t length = c.u32();
            if (length >= 0xFFFFFFF0u) throw DwarfBroken{"64-bit debug information is not read"};
            u.end = c.at() + length;
            if (u.end > s_.info.size()) throw DwarfBroken{"unit longer than its section"};
            u.version = c.u16();
            if (u.version < 2 || u.version > 5) throw DwarfBroken{"unknown debug information version"};
            if (u.version >= 5) {
                u.type = c.u8();
                u.address_size = c.u8();
                u.abbrev_offset = c.u32();
                if (u.type == 4 || u.type == 5) c.skip(8);    // skeleton and split units: their id
                if (u.type == 2 || u.type == 6) c.skip(12);   // type units: signature and offset
            } else {
                u.abbrev_offset = c.u32();
                u.address_size = c.u8();
            }
            if (u.address_size != 4 && u.address_size != 8) throw DwarfBroken{"unsupported address size"};
            u.first_entry = c.at();
            headers_.push_back(u);
            c.seek(u.end);
        }
    } catch (const DwarfBroken& b) {
        error = b.what;
    }

    const AbbreviationTable& abbreviations(std::uint64_t offset) {
        auto [it, added] = abbreviation_tables_.try_emplace(offset);
        if (!added) return it->second;
        DwarfCursor c(s_.abbrev, offset);
        for (std::uint64_t code = c.uleb(); code != 0; code = c.uleb()) {
            Abbreviation a;
            a.tag = c.uleb();
            a.children = c.u8() != 0;
            for (;;) {
                AttributeSpec spec;
                spec.name = c.uleb();
                spec.form = c.uleb();
                if (spec.name == 0 && spec.form == 0) break;
                if (spec.form == 0x21) spec.implicit = c.sleb();
                a.attributes.push_back(spec);
            }
            it->second.emplace(code, std::move(a));
        }
        return it->second;
    }

    Value read_value(DwarfCursor& c, std::uint64_t form, const UnitHeader& u, std::int64_t implicit, int depth = 0) {
        switch (form) {
            case 0x01: return {Value::address, c.sized(u.address_size)};
            case 0x03: c.skip(c.u16()); return {};
            case 0x04: c.skip(c.u32()); return {};
            case 0x05: return {Value::constant, c.u16()};
            case 0x06: return {Value::constant, c.u32()};
            case 0x07: return {Value::constant, c.u64()};
            case 0x08: while (c.u8() != 0) continue; return {};
            case 0x09: c.skip(c.uleb()); return {};
            case 0x0a: c.skip(c.u8()); return {};
            case 0x0b: return {Value::constant, c.u8()};
            case 0x0c: return {Value::constant, c.u8()};
            case 0x0d: return {Value::constant, static_cast<std::uint64_t>(c.sleb())};
            case 0x0e: c.u32(); return {};
            case 0x0f: return {Value::constant, c.uleb()};
            case 0x10: return {Value::reference, u.version == 2 ? c.sized(u.address_size) : c.u32()};
            case 0x11: return {Value::reference, u.offset + c.u8()};
            case 0x12: return {Value::reference, u.offset + c.u16()};
            case 0x13: return {Value::reference, u.offset + c.u32()};
            case 0x14: return {Value::reference, u.offset + c.u64()};
            case 0x15: return {Value::reference, u.offset + c.uleb()};
            case 0x16:
                if (depth > 2) throw DwarfBroken{"indirect form loops"};
                return read_value(c, c.uleb(), u, implicit, depth + 1);
            case 0x17: return {Value::section_offset, c.u32()};
            case 0x18: c.skip(c.uleb()); return {};
            case 0x19: return {Value::constant, 1};
            case 0x1a: c.uleb(); return {};
            case 0x1b: return {Value::address_index, c.uleb()};
            case 0x1c: case 0x1d: case 0x1f: case 0x1f20: case 0x1f21: c.u32(); return {};
            case 0x1e: c.skip(16); return {};
            case 0x20: case 0x24: c.skip(8); return {};
            case 0x21: return {Value::constant, static_cast<std::uint64_t>(implicit)};
            case 0x22: case 0x1f02: c.uleb(); return {};
            case 0x23: return {Value::list_index, c.uleb()};
            case 0x25: case 0x26: case 0x27: case 0x28: c.sized(static_cast<unsigned>(form - 0x24)); return {};
            case 0x29: case 0x2a: case 0x2b: case 0x2c:
                return {Value::address_index, c.sized(static_cast<unsigned>(form - 0x28))};
            case 0x1f01: return {Value::address_index, c.uleb()};
            default: throw DwarfBroken{"unknown attribute form"};
        }
    }

    // Reads the entry at the cursor; null entries (the end of a list of children) have tag 0.
    Entry read_entry(DwarfCursor& c, const UnitHeader& u) {
        Entry e;
        const std::uint64_t code = c.uleb();
        if (code == 0) return e;
        auto it = u.abbreviations->find(code);
        if (it == u.abbreviations->end()) throw DwarfBroken{"unknown abbreviation code"};
        e.tag = it->second.tag;
        e.children = it->second.children;
        for (const AttributeSpec& spec : it->second.attributes) {
            const Value v = read_value(c, spec.form, u, spec.implicit);
            if (std::optional<Value>* slot = slot_of(e, spec.name)) *slot = v;
        }
        return e;
    }

    std::uint32_t address_of(const Value& v, const UnitHeader& u) {
        if (v.kind != Value::address_index) return static_cast<std::uint32_t>(v.number);
        DwarfCursor c(s_.addr, u.addr_base + v.number * u.address_size);
        return static_cast<std::uint32_t>(c.sized(u.address_size));
    }

    std::vector<AddressRange> range_list(const Value& v, const UnitHeader& u) {
        std::vector<AddressRange> ranges;
        const auto add = [&](std::uint64_t start, std::uint64_t end) {
            if (start < end && end <= 0xFFFFFFFFu)
                ranges.push_back({static_cast<std::uint32_t>(start), static_cast<std::uint32_t>(end)});
        };
        std::uint64_t base = u.base_address;
        if (u.version < 5) {
            const std::uint64_t max = u.address_size == 4 ? 0xFFFFFFFFu : ~std::uint64_t{0};
            for (DwarfCursor c(s_.ranges, v.number);;) {
                const std::uint64_t a = c.sized(u.address_size), b = c.sized(u.address_size);
                if (a == 0 && b == 0) return ranges;
                if (a == max)
                    base = b;
                else
                    add(base + a, base + b);
            }
        }
        std::uint64_t offset = v.number;
        if (v.kind == Value::list_index) {
            DwarfCursor table(s_.rnglists, u.rnglists_base + v.number * 4);
            offset = u.rnglists_base + table.u32();
        }
        const auto indexed = [&](std::uint64_t index) { return address_of({Value::address_index, index}, u); };
        for (DwarfCursor c(s_.rnglists, offset);;) {
            switch (c.u8()) {
                case 0: return ranges;
                case 1: base = indexed(c.uleb()); break;
                case 2: {
                    const std::uint64_t start = indexed(c.uleb());
                    add(start, indexed(c.uleb()));
                    break;
                }
                case 3: {
                    const std::uint64_t start = indexed(c.uleb());
                    add(start, start + c.uleb());
                    break;
                }
                case 4: {
                    const std::uint64_t start = base + c.uleb();
                    add(start, base + c.uleb());
                    break;
                }
                case 5: base = c.sized(u.address_size); break;
                case 6: {
                    const std::uint64_t start = c.sized(u.address_size);
                    add(start, c.sized(u.address_size));
                    break;
                }
                case 7: {
                    const std::uint64_t start = c.sized(u.address_size);
                    add(start, start + c.uleb());
                    break;
                }
                default: throw DwarfBroken{"unknown range list entry"};
            }
        }
    }

    // The code of an entry: its range list, or low to high pc (high pc may be a length).
    std::vector<AddressRange> code_of(const Entry& e, const UnitHeader& u) {
        if (e.ranges) return range_list(*e.ranges, u);
        std::vector<AddressRange> ranges;
        if (e.low_pc && e.high_pc) {
            const std::uint64_t low = address_of(*e.low_pc, u);
            const std::uint64_t high =
                e.high_pc->kind == Value::constant ? low + e.high_pc->number : address_of(*e.high_pc, u);
            if (low < high && high <= 0xFFFFFFFFu)
                ranges.push_back({static_cast<std::uint32_t>(low), static_cast<std::uint32_t>(high)});
        }
        return ranges;
    }

    const UnitHeader& unit_at(std::uint64_t offset) {
        auto it = std::upper_bound(headers_.begin(), headers_.end(), offset,
                                   [](std::uint64_t o, const UnitHeader& u) { return o < u.offset; });
        if (it == headers_.begin() || offset >= std::prev(it)->end) throw DwarfBroken{"reference outside the units"};
        UnitHeader& u = *std::prev(it);
        if (!u.abbreviations) read_unit_entry(u);
        return u;
    }

    // Where a function is defined: its own file and line, else those of the declaration or
    // the abstract origin it refers to (which may lie in another unit).
    void definition_of(const Entry& e, const UnitHeader& u, DwarfFunction& f) {
        const Entry* current = &e;
        const UnitHeader* unit = &u;
        Entry referred;
        for (int step = 0; step < kMaxOriginSteps; ++step) {
            // File 0 is the unit's own source from version 5 on, and no file before.
            if (!f.file.known() && current->decl_file && (unit->version >= 5 || current->decl_file->number != 0))
                f.file = {unit->line_table, current->decl_file->number};
            if (f.line == 0 && current->decl_line) f.line = static_cast<std::int32_t>(current->decl_line->number);
            const std::optional<Value>& next = current->specification ? current->specification : current->origin;
            if ((f.file.known() && f.line != 0) || !next || next->kind != Value::reference) return;
            unit = &unit_at(next->number);
            DwarfCursor c(s_.info, next->number);
            referred = read_entry(c, *unit);
            current = &referred;
        }
    }

    // The unit's own entry: its line table, bases and code.
    Entry read_unit_entry(UnitHeader& u) {
        u.abbreviations = &abbreviations(u.abbrev_offset);
        DwarfCursor c(s_.info, u.first_entry);
        Entry e = read_entry(c, u);
        if (e.stmt_list) u.line_table = e.stmt_list->number;
        if (e.addr_base) u.addr_base = e.addr_base->number;
        if (e.rnglists_base) u.rnglists_base = e.rnglists_base->number;
        if (e.low_pc) u.base_address = address_of(*e.low_pc, u);
        return e;
    }

    // Inside a function: which one, and whether inside an inlined call already.
    struct Context {
        std::ptrdiff_t function = -1;
        bool in_call = false;
    };

    InfoUnit read_unit(UnitHeader& u) {
        InfoUnit out;
        const Entry root = read_unit_entry(u);
        if (root.tag != kTagCompileUnit && root.tag != kTagPartialUnit) return out;
        out.line_table = u.line_table;
        out.ranges = code_of(root, u);
        if (!root.children) return out;

        DwarfCursor c(s_.info, u.first_entry);
        read_entry(c, u);  // the unit's entry again, to stand after it
        std::vector<Context> open{Context{}};
        while (!open.empty() && !c.done(u.end)) {
            const Entry e = read_entry(c, u);
            if (e.tag == 0) {
                open.pop_back();
                continue;
            }
            Context inner = open.back();
            if (e.tag == kTagSubprogram) {
                inner = {};
                std::vector<AddressRange> code = code_of(e, u);
                if (!code.empty()) {
                    DwarfFunction f;
                    f.ranges = std::move(code);
                    definition_of(e, u, f);
                    inner.function = static_cast<std::ptrdiff_t>(out.functions.size());
                    out.functions.push_back(std::move(f));
                }
            } else if (e.tag == kTagInlinedSubroutine && inner.function >= 0) {
                if (!inner.in_call) {
                    InlinedCall call;
                    call.ranges = code_of(e, u);
                    if (e.call_file) call.file = {u.line_table, e.call_file->number};
                    if (e.call_line) call.line = static_cast<std::int32_t>(e.call_line->number);
                    if (!call.ranges.empty())
                        out.functions[static_cast<std::size_t>(inner.function)].calls.push_back(std::move(call));
                }
                inner.in_call = true;
            }
            if (e.children) open.push_back(inner);
        }
        return out;
    }

    const DwarfSections& s_;
    std::vector<UnitHeader> headers_;
    std::map<std::uint64_t, AbbreviationTable> abbreviation_tables_;
};

}  // namespace

std::vector<InfoUnit> read_debug_info(const DwarfSections& sections, std::string& error) {
    return InfoReader(sections).read(error);
}

}  // namespace roadsum
