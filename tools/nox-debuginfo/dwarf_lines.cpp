#include "dwarf_lines.h"

#include <algorithm>
#include <cctype>

#include "dwarf_cursor.h"

namespace roadsum {

namespace {

enum Form : std::uint64_t {
    kFormData2 = 0x05, kFormData4 = 0x06, kFormData8 = 0x07, kFormString = 0x08, kFormBlock = 0x09,
    kFormData1 = 0x0b, kFormStrp = 0x0e, kFormUdata = 0x0f, kFormData16 = 0x1e, kFormLineStrp = 0x1f,
};
constexpr std::uint64_t kContentPath = 1, kContentDirectoryIndex = 2;

struct FormValue {
    std::string text;
    std::uint64_t number = 0;
};

// One attribute of an entry of the version 5 directory and file tables.
FormValue read_form(DwarfCursor& c, std::uint64_t form, const DwarfSections& s) {
    switch (form) {
        case kFormString: return {c.cstring()};
        case kFormLineStrp: return {dwarf_string_at(s.line_str, c.u32())};
        case kFormStrp: return {dwarf_string_at(s.str, c.u32())};
        case kFormUdata: return {{}, c.uleb()};
        case kFormData1: return {{}, c.u8()};
        case kFormData2: return {{}, c.u16()};
        case kFormData4: return {{}, c.u32()};
        case kFormData8: return {{}, c.u64()};
        case kFormData16: c.skip(16); return {};
        case kFormBlock: c.skip(c.uleb()); return {};
        default: throw DwarfBroken{"unknown attribute form in the file table"};
    }
}

struct Entry {
    std::string path;
    std::uint64_t directory = 0;
};

// Version 5: entry formats, then the entries.
std::vector<Entry> read_entry_table(DwarfCursor& c, const DwarfSections& s) {
    std::vector<std::pair<std::uint64_t, std::uint64_t>> formats(c.u8());
    for (auto& [content, form] : formats) {
        content = c.uleb();
        form = c.uleb();
    }
    std::vector<Entry> entries;
    const std::uint64_t count = c.uleb();
    // Entries without a format take no bytes: a forged count would never run out.
    if (formats.empty() && count > 0) throw DwarfBroken{"file table entries without a format"};
    for (std::uint64_t i = 0; i < count; ++i) {
        Entry e;
        for (const auto& [content, form] : formats) {
            FormValue value = read_form(c, form, s);
            if (content == kContentPath) e.path = std::move(value.text);
            if (content == kContentDirectoryIndex) e.directory = value.number;
        }
        entries.push_back(std::move(e));
    }
    return entries;
}

bool is_absolute(std::string_view path) {
    return (!path.empty() && (path[0] == '/' || path[0] == '\\')) || (path.size() > 1 && path[1] == ':');
}

std::string joined(std::string_view directory, std::string_view name) {
    if (directory.empty() || is_absolute(name)) return std::string(name);
    return std::string(directory) + "/" + std::string(name);
}

bool is_source_name(const std::string& name) {
    const std::size_t dot = name.rfind('.');
    if (dot == std::string::npos) return false;
    std::string ext = name.substr(dot + 1);
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char ch) { return static_cast<char>(std::tolower(ch)); });
    return ext == "c" || ext == "cc" || ext == "cpp" || ext == "cxx" || ext == "c++" || ext == "s" || ext == "asm";
}

struct Header {
    std::uint16_t version = 0;
    std::uint8_t min_length = 1, line_base_range = 1, opcode_base = 1;
    std::int8_t line_base = 0;
    std::vector<std::uint8_t> opcode_lengths;
    std::uint64_t program = 0, end = 0;
};

class UnitReader {
public:
    UnitReader(DwarfCursor& c, const DwarfSections& s, LineUnit& unit) : c_(c), s_(s), unit_(unit) {}

    void read(std::uint64_t end) {
        Header h;
        h.end = end;
        h.version = c_.u16();
        if (h.version < 2 || h.version > 5) throw DwarfBroken{"unknown line table version"};
        if (h.version >= 5) {
            if (c_.u8() != 4) throw DwarfBroken{"not a 32-bit line table"};
            c_.u8();  // segment selector size
        }
        const std::uint32_t header_length = c_.u32();
        h.program = c_.at() + header_length;
        h.min_length = c_.u8();
        if (h.version >= 4) c_.u8();  // operations per instruction
        c_.u8();                      // default is_stmt
        h.line_base = static_cast<std::int8_t>(c_.u8());
        h.line_base_range = c_.u8();
        h.opcode_base = c_.u8();
        if (h.line_base_range == 0 || h.opcode_base == 0) throw DwarfBroken{"bad line table header"};
        for (int i = 1; i < h.opcode_base; ++i) h.opcode_lengths.push_back(c_.u8());
        if (h.version >= 5)
            read_version5_files();
        else
            read_older_files();
        c_.seek(h.program);
        run(h);
    }

private:
    // Directory 0 is the compilation directory; the others may be relative to it.
    void read_version5_files() {
        const std::vector<Entry> directories = read_entry_table(c_, s_);
        for (const Entry& f : read_entry_table(c_, s_)) {
            std::string directory;
            if (f.directory < directories.size()) {
                directory = directories[f.directory].path;
                if (f.directory > 0 && !directories.empty()) directory = joined(directories[0].path, directory);
            }
            unit_.files.push_back(normal_path(joined(directory, f.path)));
        }
        if (!unit_.files.empty()) unit_.source = unit_.files[0];
    }

    // Files count from 1; the compilation directory is not named here.
    void read_older_files() {
        std::vector<std::string> directories;
        for (std::string d = c_.cstring(); !d.empty(); d = c_.cstring()) directories.push_back(std::move(d));
        unit_.files.emplace_back();
        std::vector<std::string> names;
        for (std::string name = c_.cstring(); !name.empty(); name = c_.cstring()) {
            const std::uint64_t directory = c_.uleb();
            c_.uleb();  // modification time
            c_.uleb();  // length
            unit_.files.push_back(normal_path(
                joined(directory > 0 && directory <= directories.size() ? directories[directory - 1] : "", name)));
            names.push_back(std::move(name));
        }
        // Older tables do not say which file is the unit's own; it is the first source file
        // (headers come in as they are used).
        auto it = std::find_if(names.begin(), names.end(), is_source_name);
        if (it != names.end())
            unit_.source = unit_.files[static_cast<std::size_t>(it - names.begin()) + 1];
        else if (!names.empty())
            unit_.source = unit_.files[1];
    }

    void run(const Header& h) {
        std::uint32_t address = 0, file = 1;
        std::int64_t line = 1;
        LineSequence seq;
        const auto row = [&] { seq.rows.push_back({address, static_cast<std::int32_t>(line), file}); };
        while (!c_.done(h.end)) {
            const std::uint8_t op = c_.u8();
            if (op >= h.opcode_base) {
                const int adjusted = op - h.opcode_base;
                address += static_cast<std::uint32_t>(adjusted / h.line_base_range * h.min_length);
                line += h.line_base + adjusted % h.line_base_range;
                row();
                continue;
            }
            switch (op) {
                case 0: {
                    const std::uint64_t length = c_.uleb();
                    const std::uint64_t next = c_.at() + length;
                    if (length == 0) break;
                    const std::uint8_t sub = c_.u8();
                    if (sub == 1) {  // end of sequence
                        seq.end = address;
                        if (!seq.rows.empty()) unit_.sequences.push_back(std::move(seq));
                        seq = {};
                        address = 0;
                        file = 1;
                        line = 1;
                    } else if (sub == 2) {  // set address
                        address = length == 5 ? c_.u32() : 0;
                    }
                    c_.seek(next);
                    break;
                }
                case 1: row(); break;  // copy
                case 2: address += static_cast<std::uint32_t>(c_.uleb() * h.min_length); break;
                case 3: line += c_.sleb(); break;
                case 4: file = static_cast<std::uint32_t>(c_.uleb()); break;
                case 8: address += static_cast<std::uint32_t>((255 - h.opcode_base) / h.line_base_range * h.min_length); break;
                case 9: address += c_.u16(); break;
                default:
                    // Column, isa and the flags do not change address, line or file.
                    for (std::uint8_t i = 0; i < h.opcode_lengths[op - 1]; ++i) c_.uleb();
                    break;
            }
        }
    }

    DwarfCursor& c_;
    const DwarfSections& s_;
    LineUnit& unit_;
};

}  // namespace

std::string normal_path(std::string_view path) {
    std::string text(path);
    std::replace(text.begin(), text.end(), '\\', '/');
    const bool rooted = !text.empty() && text[0] == '/';
    std::vector<std::string> steps;
    std::size_t at = 0;
    while (at <= text.size()) {
        std::size_t slash = text.find('/', at);
        if (slash == std::string::npos) slash = text.size();
        const std::string step = text.substr(at, slash - at);
        if (step == "..") {
            if (!steps.empty() && steps.back() != "..")
                steps.pop_back();
            else if (!rooted)
                steps.push_back(step);
        } else if (!step.empty() && step != ".") {
            steps.push_back(step);
        }
        at = slash + 1;
    }
    std::string out = rooted ? "/" : "";
    for (std::size_t i = 0; i < steps.size(); ++i) out += (i ? "/" : "") + steps[i];
    return out;
}

std::vector<LineUnit> read_line_tables(const DwarfSections& sections, std::string& error) {
    std::vector<LineUnit> units;
    error.clear();
    DwarfCursor c(sections.line);
    try {
        while (!c.done(sections.line.size())) {
            LineUnit unit;
            unit.offset = c.at();
            const std::uint64_t length = c.u32();
            if (length >= 0xFFFFFFF0u) throw DwarfBroken{"64-bit line tables are not read"};
            const std::uint64_t end = c.at() + length;
            if (end > sections.line.size()) throw DwarfBroken{"line table longer than its section"};
            UnitReader(c, sections, unit).read(end);
            units.push_back(std::move(unit));
            c.seek(end);
        }
    } catch (const DwarfBroken& b) {
        error = b.what;
    }
    return units;
}

}  // namespace roadsum
