#include "dwarf_lines.h"

#include <algorithm>
#include <cctype>
#include <optional>

#include "crash/common/bounded_bytes.h"

namespace roadsum {

namespace {

enum Form : std::uint64_t {
    kFormData2 = 0x05, kFormData4 = 0x06, kFormData8 = 0x07, kFormString = 0x08, kFormBlock = 0x09,
    kFormData1 = 0x0b, kFormStrp = 0x0e, kFormUdata = 0x0f, kFormData16 = 0x1e, kFormLineStrp = 0x1f,
};
constexpr std::uint64_t kContentPath = 1;

struct Broken {
    const char* what;
};

// A reading position in one section; running past the end throws Broken.
class Cursor {
public:
    Cursor(std::string_view data, std::uint64_t at = 0) : data_(data), at_(at) {}

    std::uint64_t at() const { return at_; }
    void seek(std::uint64_t at) { at_ = at; }
    bool done(std::uint64_t end) const { return at_ >= end; }

    std::uint8_t u8() {
        std::uint8_t v = 0;
        if (!data_.u8(at_, v)) throw Broken{"line table cut short"};
        ++at_;
        return v;
    }
    std::uint16_t u16() {
        std::uint16_t v = 0;
        if (!data_.u16(at_, v)) throw Broken{"line table cut short"};
        at_ += 2;
        return v;
    }
    std::uint32_t u32() {
        std::uint32_t v = 0;
        if (!data_.u32(at_, v)) throw Broken{"line table cut short"};
        at_ += 4;
        return v;
    }
    std::uint64_t uleb() {
        std::uint64_t v = 0;
        for (int shift = 0;; shift += 7) {
            const std::uint8_t b = u8();
            if (shift < 64) v |= std::uint64_t{b & 0x7Fu} << shift;
            if ((b & 0x80) == 0) return v;
        }
    }
    std::int64_t sleb() {
        std::int64_t v = 0;
        int shift = 0;
        std::uint8_t b = 0;
        do {
            b = u8();
            if (shift < 64) v |= static_cast<std::int64_t>(std::uint64_t{b & 0x7Fu} << shift);
            shift += 7;
        } while (b & 0x80);
        if (shift < 64 && (b & 0x40)) v |= -(std::int64_t{1} << shift);
        return v;
    }
    std::string cstring() {
        std::string s;
        for (char c = static_cast<char>(u8()); c != '\0'; c = static_cast<char>(u8())) s += c;
        return s;
    }
    void skip(std::uint64_t n) {
        if (!data_.has(at_, n)) throw Broken{"line table cut short"};
        at_ += n;
    }

private:
    BoundedBytes data_;
    std::uint64_t at_;
};

std::string string_in(std::string_view section, std::uint64_t offset) {
    if (offset >= section.size()) throw Broken{"string offset outside its section"};
    const std::string_view rest = section.substr(offset);
    return std::string(rest.substr(0, rest.find('\0')));
}

// Reads one attribute of an entry of the version 5 directory and file tables; the text for
// a name, empty for anything else.
std::string read_form(Cursor& c, std::uint64_t form, const DwarfSections& s) {
    switch (form) {
        case kFormString: return c.cstring();
        case kFormLineStrp: return string_in(s.line_str, c.u32());
        case kFormStrp: return string_in(s.str, c.u32());
        case kFormUdata: c.uleb(); return {};
        case kFormData1: c.skip(1); return {};
        case kFormData2: c.skip(2); return {};
        case kFormData4: c.skip(4); return {};
        case kFormData8: c.skip(8); return {};
        case kFormData16: c.skip(16); return {};
        case kFormBlock: c.skip(c.uleb()); return {};
        default: throw Broken{"unknown attribute form in the file table"};
    }
}

// Version 5: entry formats, then the entries; the path of each.
std::vector<std::string> read_entry_table(Cursor& c, const DwarfSections& s) {
    std::vector<std::pair<std::uint64_t, std::uint64_t>> formats(c.u8());
    for (auto& [content, form] : formats) {
        content = c.uleb();
        form = c.uleb();
    }
    std::vector<std::string> paths;
    const std::uint64_t count = c.uleb();
    for (std::uint64_t i = 0; i < count; ++i) {
        std::string path;
        for (const auto& [content, form] : formats) {
            std::string value = read_form(c, form, s);
            if (content == kContentPath) path = std::move(value);
        }
        paths.push_back(std::move(path));
    }
    return paths;
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
    bool default_is_stmt = true;
    std::vector<std::uint8_t> opcode_lengths;
    std::uint64_t program = 0, end = 0;
};

class UnitReader {
public:
    UnitReader(Cursor& c, const DwarfSections& s, LineUnit& unit) : c_(c), s_(s), unit_(unit) {}

    void read(std::uint64_t end) {
        Header h;
        h.end = end;
        h.version = c_.u16();
        if (h.version < 2 || h.version > 5) throw Broken{"unknown line table version"};
        if (h.version >= 5) {
            if (c_.u8() != 4) throw Broken{"not a 32-bit line table"};
            c_.u8();  // segment selector size
        }
        const std::uint32_t header_length = c_.u32();
        h.program = c_.at() + header_length;
        h.min_length = c_.u8();
        if (h.version >= 4) c_.u8();  // operations per instruction
        h.default_is_stmt = c_.u8() != 0;
        h.line_base = static_cast<std::int8_t>(c_.u8());
        h.line_base_range = c_.u8();
        h.opcode_base = c_.u8();
        if (h.line_base_range == 0 || h.opcode_base == 0) throw Broken{"bad line table header"};
        for (int i = 1; i < h.opcode_base; ++i) h.opcode_lengths.push_back(c_.u8());
        if (h.version >= 5) {
            read_entry_table(c_, s_);  // directories
            const std::vector<std::string> files = read_entry_table(c_, s_);
            if (!files.empty()) unit_.source = files[0];
        } else {
            while (!c_.cstring().empty()) continue;  // directories
            std::vector<std::string> files;
            for (std::string name = c_.cstring(); !name.empty(); name = c_.cstring()) {
                c_.uleb();
                c_.uleb();
                c_.uleb();
                files.push_back(std::move(name));
            }
            // Older tables do not say which file is the unit's own; it is the first source
            // file (headers come in as they are used).
            auto it = std::find_if(files.begin(), files.end(), is_source_name);
            if (it != files.end())
                unit_.source = *it;
            else if (!files.empty())
                unit_.source = files[0];
        }
        c_.seek(h.program);
        run(h);
    }

private:
    void run(const Header& h) {
        std::uint32_t address = 0;
        std::int64_t line = 1;
        LineSequence seq;
        const auto row = [&] { seq.rows.push_back({address, static_cast<std::int32_t>(line)}); };
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
                case 8: address += static_cast<std::uint32_t>((255 - h.opcode_base) / h.line_base_range * h.min_length); break;
                case 9: address += c_.u16(); break;
                default:
                    // set file, column, isa and the flags do not change address or line.
                    for (std::uint8_t i = 0; i < h.opcode_lengths[op - 1]; ++i) c_.uleb();
                    break;
            }
        }
    }

    Cursor& c_;
    const DwarfSections& s_;
    LineUnit& unit_;
};

}  // namespace

std::vector<LineUnit> read_line_tables(const DwarfSections& sections, std::string& error) {
    std::vector<LineUnit> units;
    error.clear();
    Cursor c(sections.line);
    try {
        while (!c.done(sections.line.size())) {
            const std::uint64_t length = c.u32();
            if (length >= 0xFFFFFFF0u) throw Broken{"64-bit line tables are not read"};
            const std::uint64_t end = c.at() + length;
            if (end > sections.line.size()) throw Broken{"line table longer than its section"};
            LineUnit unit;
            UnitReader(c, sections, unit).read(end);
            units.push_back(std::move(unit));
            c.seek(end);
        }
    } catch (const Broken& b) {
        error = b.what;
    }
    return units;
}

}  // namespace roadsum
