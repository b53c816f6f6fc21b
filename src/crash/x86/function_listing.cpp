#include "crash/x86/function_listing.h"

#include <algorithm>
#include <vector>

#include "crash/x86/decoder.h"
#include "crash/x86/format.h"
#include "crash/x86/function_analyser.h"
#include "crash/x86/instruction_comment.h"

namespace roadsum {

namespace {

using x86::append_hex;
using x86::pad_to;

constexpr std::size_t kLabelWidth = 31;
constexpr std::size_t kMarkerColumn = 9;  // the tenth character of a line
constexpr std::size_t kLabelCutColumn = 12;
constexpr const char* kSeparator = "; ---------------------------------------------------------";
constexpr const char* kElided = "[...]";
constexpr std::uint32_t kClassNameOffset = 44;

struct Line {
    std::string text;
    bool has_address = false;
    std::uint32_t address = 0;
};

std::string hex8(std::uint32_t v) {
    std::string s;
    append_hex(s, v, 8);
    return s;
}

struct Composer {
    const TFunctionInfo& info;
    const MemoryReader& reader;
    const SymbolLookup* symbols;
    const RuntimeRoutines& routines;
    const ListingOptions& options;
    std::string function_label;
    std::vector<Line> lines;

    bool is_code_start(std::uint32_t a) const {
        for (const CodeArea& area : info.Areas)
            if (area.Start == a && !area.CaseTable && !area.HandlerTable) return true;
        return false;
    }

    std::string label_of(std::uint32_t a) const { return a == info.Entry ? function_label : "loc_" + hex8(a); }

    std::uint32_t separator_due = 0;  // address of a separator owed once another line follows
    bool separator_pending = false;

    void push(Line line) {
        if (separator_pending) {
            separator_pending = false;
            lines.push_back({"", false, 0});
            lines.push_back({hex8(separator_due) + " " + kSeparator, true, separator_due});
            lines.push_back({"", false, 0});
        }
        lines.push_back(std::move(line));
    }

    void add(std::uint32_t address, std::string text) { push({hex8(address) + " " + text, true, address}); }

    std::string class_name(std::uint32_t class_ref) const {
        std::string name;
        bool ok = false;
        try {
            ok = options.class_name ? options.class_name(class_ref, name)
                                    : read_runtime_class_name(reader, class_ref, name);
        } catch (...) {
            ok = false;
        }
        return ok && !name.empty() ? name : "EUnknown";
    }

    void case_table(const CodeArea& area) {
        for (std::uint32_t p = area.Start; p + 3 <= area.End; p += 4) {
            std::uint32_t v = 0;
            std::string text = "  dd ";
            if (read_dword(reader, p, v) && is_code_start(v))
                text += label_of(v);
            else
                text += "$" + hex8(v);
            if (p == area.Start) {
                pad_to(text, kLabelWidth);
                text += "  ; case jump table";
            }
            add(p, std::move(text));
        }
    }

    void handler_table(const CodeArea& area) {
        std::uint32_t count = 0;
        if (!read_dword(reader, area.Start, count)) return;
        struct Entry {
            std::uint32_t address, handler;
            bool any;
            std::string name;
        };
        std::vector<Entry> entries;
        std::size_t width = 0;
        for (std::uint32_t i = 0; i < count && area.Start + 4 + 8 * i + 7 <= area.End; ++i) {
            const std::uint32_t at = area.Start + 4 + 8 * i;
            std::uint32_t cls = 0, handler = 0;
            if (!read_dword(reader, at, cls) || !read_dword(reader, at + 4, handler)) break;
            Entry e{at, handler, cls == 0, cls == 0 ? "" : class_name(cls)};
            width = std::max(width, e.name.size());
            entries.push_back(std::move(e));
        }
        for (Entry& e : entries) {
            std::string text;
            if (e.any) {
                text = "  else loc_" + hex8(e.handler);
            } else {
                text = "  on " + e.name;
                pad_to(text, 5 + width);
                text += " do loc_" + hex8(e.handler);
            }
            add(e.address, std::move(text));
        }
    }

    // False when an instruction does not fit its area: the areas no longer match the code.
    bool code_area(const CodeArea& area) {
        std::uint32_t a = area.Start;
        while (a <= area.End) {
            x86::Instruction ins;
            std::string text;
            if (!x86::decode_at(reader, a, ins)) {
                std::uint8_t byte = 0;
                if (!reader.try_read(a, &byte, 1)) return false;
                x86::format_undecodable(a, byte, text);
                push({std::move(text), true, a});
                if (a == area.End) break;
                ++a;
                continue;
            }
            if (ins.end - 1 > area.End || ins.end <= a) return false;
            x86::format_instruction(ins, text);
            if (ins.target_kind == x86::TargetKind::kConstant && ins.flow != x86::Flow::kNone &&
                is_code_start(ins.target)) {
                const std::size_t space = text.find(' ', kLabelCutColumn);
                text.resize(std::min(space, text.size()));
                pad_to(text, x86::kOperandColumn);
                text += label_of(ins.target);
            } else {
                append_instruction_comment(ins, reader, symbols, text);
            }
            push({std::move(text), true, a});
            // The separator is written only when more of the function follows.
            const bool ends = ins.flow == x86::Flow::kReturn || ins.flow == x86::Flow::kJump;
            const bool finally = ins.flow == x86::Flow::kJump && ins.target_kind == x86::TargetKind::kConstant &&
                                 routines.HandleFinally != 0 && ins.target == routines.HandleFinally;
            if (options.format && ends && !finally) {
                separator_pending = true;
                separator_due = ins.end;
            }
            if (ins.end == 0) break;  // the top of the address space
            a = ins.end;
        }
        return true;
    }

    // The cold part lies elsewhere: it follows the body after a separator, under its label.
    void cold_part_label(const CodeArea& area) {
        if (!separator_pending) {
            separator_pending = true;
            separator_due = area.Start;
        }
        std::string text = label_of(area.Start) + ":";
        pad_to(text, kLabelWidth);
        add(area.Start, text + "  ; cold part");
    }

    bool compose() {
        if (std::string name; public_name_at(symbols, info.Entry, name))
            function_label = "public " + name;
        else
            function_label = "sub_" + hex8(info.Entry);
        bool in_cold_part = false;
        for (const CodeArea& area : info.Areas) {
            if (area.Cold && !in_cold_part) {
                in_cold_part = true;
                cold_part_label(area);
            } else if (area.Start == info.Entry || (options.format && area.Label)) {
                std::string text = label_of(area.Start) + ":";
                if (area.Start == info.Entry) {
                    pad_to(text, kLabelWidth);
                    text += "  ; function entry point";
                }
                add(area.Start, std::move(text));
            }
            if (area.CaseTable)
                case_table(area);
            else if (area.HandlerTable)
                handler_table(area);
            else if (!code_area(area))
                return false;
        }
        return true;
    }

    void mark_crash() {
        for (Line& l : lines)
            if (l.has_address && l.address == options.crash_address && l.text.size() > kMarkerColumn &&
                l.text.compare(8, 3, "   ") == 0)
                l.text[kMarkerColumn] = '>';
    }

    void insert_line_numbers() {
        if (!options.line_number) return;
        int reference = options.line_number(info.CodeStart + (info.CodeLength ? info.CodeLength - 1 : 0));
        if (reference <= 0) reference = 10 * options.line_number(options.crash_address);
        // Nothing known: a column of one blank, so that every listing has the same shape.
        const std::size_t width = reference > 0 ? std::to_string(reference).size() : 1;
        for (Line& l : lines) {
            if (!l.has_address || l.text.size() <= kMarkerColumn) continue;
            const int n = options.line_number(l.address);
            std::string column = n > 0 ? std::to_string(n) : std::string(width, ' ');
            if (column.size() < width) column.insert(0, width - column.size(), '0');
            l.text.insert(kMarkerColumn, column + " ");
        }
    }

    std::string join() const {
        std::size_t first = 0, last = lines.size();
        bool before = false, after = false;
        if (options.limit > 0) {
            const std::size_t limit = static_cast<std::size_t>(options.limit);
            // The crash line itself, else the first line after it in address order (the cold
            // part follows the body, so the lines' addresses need not rise throughout).
            std::size_t crash = lines.size();
            for (std::size_t i = 0; i < lines.size() && crash == lines.size(); ++i)
                if (lines[i].has_address && lines[i].address == options.crash_address) crash = i;
            for (std::size_t i = 0; i < lines.size() && crash == lines.size(); ++i)
                if (lines[i].has_address && lines[i].address >= options.crash_address) crash = i;
            if (crash > limit * 12 / 10) {
                first = crash - (limit + 1);
                before = true;
            }
            if (crash < lines.size() && crash + 1 + limit < lines.size()) {
                last = crash + 1 + limit;
                after = true;
            }
        }
        std::string out;
        if (before) out += std::string(kElided) + "\r\n";
        for (std::size_t i = first; i < last; ++i) out += lines[i].text + "\r\n";
        if (after) out += std::string(kElided) + "\r\n";
        if (out.size() >= 2) out.resize(out.size() - 2);
        return out;
    }
};

}  // namespace

bool read_runtime_class_name(const MemoryReader& reader, std::uint32_t class_ref, std::string& name) {
    std::uint32_t pointer = 0;
    std::uint8_t length = 0;
    if (class_ref < kClassNameOffset || !read_dword(reader, class_ref - kClassNameOffset, pointer) ||
        !reader.try_read(pointer, &length, 1) || length == 0)
        return false;
    char text[256];
    if (!reader.try_read(pointer + 1, text, length)) return false;
    for (std::uint8_t i = 0; i < length; ++i)
        if (static_cast<unsigned char>(text[i]) < 0x21 || static_cast<unsigned char>(text[i]) > 0x7E) return false;
    name.assign(text, length);
    return true;
}

std::string compose_listing(const TFunctionInfo& info, const MemoryReader& reader, const SymbolLookup* symbols,
                            const RuntimeRoutines& routines, const ListingOptions& options) {
    if (info.Areas.empty()) return {};
    Composer c{info, reader, symbols, routines, options, {}, {}};
    if (!c.compose()) return kListingInternalError;
    c.mark_crash();
    c.insert_line_numbers();
    return c.join();
}

std::string disassemble_function(std::uint32_t entry, const MemoryReader& reader, const SymbolLookup* symbols,
                                 const RuntimeRoutines& routines, const ListingOptions& options) {
    return compose_listing(analyse_function(entry, reader, symbols, routines), reader, symbols, routines, options);
}

}  // namespace roadsum
