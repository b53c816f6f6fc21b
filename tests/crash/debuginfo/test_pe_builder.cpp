#include "test_pe_builder.h"

#include <algorithm>
#include <map>
#include <string>

#include "crash/common/little_endian.h"

namespace roadsum::testing {

namespace {

constexpr std::uint32_t kSectionAlign = 0x1000, kFileAlign = 0x200, kHeadersSize = 0x400;

std::uint32_t align(std::uint32_t v, std::uint32_t a) { return (v + a - 1) / a * a; }

void put16(std::string& s, std::size_t at, std::uint16_t v) {
    if (s.size() < at + 2) s.resize(at + 2);
    put_le16(reinterpret_cast<std::uint8_t*>(&s[at]), v);
}

void put32(std::string& s, std::size_t at, std::uint32_t v) {
    if (s.size() < at + 4) s.resize(at + 4);
    put_le32(reinterpret_cast<std::uint8_t*>(&s[at]), v);
}

// The resource tree: type directory, a name directory per type, a language directory per
// name, data entries, the names as counted UTF-16 strings, then the data. Named entries come
// before numbered ones, as the format wants.
std::string resource_section(const std::vector<TestPe::Resource>& resources, std::uint32_t rva) {
    using Id = TestPe::Id;
    const auto order = [](const Id& a, const Id& b) { return a.index() != b.index() ? a.index() < b.index() : a < b; };
    std::map<Id, std::map<Id, const std::string*, decltype(order)>, decltype(order)> tree(order);
    for (const auto& r : resources) tree.try_emplace(r.type, order).first->second[r.name] = &r.data;

    std::size_t names = 0;
    for (const auto& [type, list] : tree) names += list.size();
    const std::size_t type_dir = 0, name_dirs = 16 + 8 * tree.size();
    const std::size_t lang_dirs = name_dirs + 16 * tree.size() + 8 * names;
    const std::size_t data_entries = lang_dirs + 24 * names;
    std::size_t strings = data_entries + 16 * names;

    std::string s(strings, '\0');
    std::string blobs;
    const auto counts = [&](std::size_t dir, const auto& ids) {
        std::uint16_t named = 0, numbered = 0;
        for (const auto& [id, _] : ids) (std::holds_alternative<std::string>(id) ? named : numbered)++;
        put16(s, dir + 12, named);
        put16(s, dir + 14, numbered);
    };
    const auto id_word = [&](const Id& id) -> std::uint32_t {
        if (const auto* n = std::get_if<std::uint16_t>(&id)) return *n;
        const std::string& text = std::get<std::string>(id);
        const std::size_t at = s.size();
        put16(s, at, static_cast<std::uint16_t>(text.size()));
        for (std::size_t i = 0; i < text.size(); ++i) put16(s, at + 2 + 2 * i, static_cast<unsigned char>(text[i]));
        return 0x80000000u | static_cast<std::uint32_t>(at);
    };
    counts(type_dir, tree);
    std::size_t t = 0, n = 0;
    for (const auto& [type, list] : tree) {
        const std::size_t name_dir = name_dirs + 16 * t + 8 * n;
        put32(s, type_dir + 16 + 8 * t, id_word(type));
        put32(s, type_dir + 20 + 8 * t, 0x80000000u | static_cast<std::uint32_t>(name_dir));
        counts(name_dir, list);
        std::size_t k = 0;
        for (const auto& [name, data] : list) {
            const std::size_t lang_dir = lang_dirs + 24 * n, entry = data_entries + 16 * n;
            put32(s, name_dir + 16 + 8 * k, id_word(name));
            put32(s, name_dir + 20 + 8 * k, 0x80000000u | static_cast<std::uint32_t>(lang_dir));
            put16(s, lang_dir + 14, 1);
            put32(s, lang_dir + 16, 0x409);
            put32(s, lang_dir + 20, static_cast<std::uint32_t>(entry));
            put32(s, entry, static_cast<std::uint32_t>(blobs.size()));  // made absolute below
            put32(s, entry + 4, static_cast<std::uint32_t>(data->size()));
            blobs += *data;
            blobs.resize(align(static_cast<std::uint32_t>(blobs.size()), 8));
            ++k;
            ++n;
        }
        ++t;
    }
    s.resize(align(static_cast<std::uint32_t>(s.size()), 8));
    const std::uint32_t blob_start = rva + static_cast<std::uint32_t>(s.size());
    for (std::size_t i = 0; i < names; ++i) {
        const std::size_t entry = data_entries + 16 * i;
        put32(s, entry, blob_start + get_le32(reinterpret_cast<const std::uint8_t*>(&s[entry])));
    }
    return s + blobs;
}

// Names longer than a name field ("/N" for sections, an offset for symbols) go to the
// string table, which begins with its own size.
struct StringTable {
    std::string bytes = std::string(4, '\0');
    std::uint32_t add(const std::string& s) {
        const std::uint32_t at = static_cast<std::uint32_t>(bytes.size());
        bytes += s + '\0';
        put32(bytes, 0, static_cast<std::uint32_t>(bytes.size()));
        return at;
    }
};

std::string symbol_table(const std::vector<TestPe::Symbol>& symbols, StringTable& strings) {
    std::string table;
    for (const TestPe::Symbol& sym : symbols) {
        std::string record(18, '\0');
        const bool file = sym.storage == 103;
        const std::size_t aux = file ? (sym.name.size() + 17) / 18 : 0;
        if (file)
            record.replace(0, 5, ".file");
        else if (sym.name.size() <= 8)
            record.replace(0, sym.name.size(), sym.name);
        else
            put32(record, 4, strings.add(sym.name));
        put32(record, 8, sym.value);
        put16(record, 12, static_cast<std::uint16_t>(file ? -2 : sym.section));
        put16(record, 14, file ? 0 : sym.type);
        record[16] = static_cast<char>(sym.storage);
        record[17] = static_cast<char>(aux);
        table += record;
        if (file) table += sym.name + std::string(aux * 18 - sym.name.size(), '\0');
    }
    return table;
}

std::size_t symbol_count(const std::vector<TestPe::Symbol>& symbols) {
    std::size_t n = 0;
    for (const TestPe::Symbol& sym : symbols) n += 1 + (sym.storage == 103 ? (sym.name.size() + 17) / 18 : 0);
    return n;
}

}  // namespace

std::uint32_t TestPe::data_rva() const { return kCodeRva + align(code_size, kSectionAlign); }

std::string TestPe::build() const {
    struct Section {
        std::string name;
        std::uint32_t rva, characteristics;
        std::string bytes;
        std::uint32_t virtual_size;
    };
    StringTable strings;
    std::vector<Section> sections;
    sections.push_back({".text", kCodeRva, 0x60000020, std::string(code_size, '\xCC'), code_size});
    sections.push_back({".data", data_rva(), 0xC0000040, std::string(data_size, '\0'), data_size});
    std::uint32_t next = data_rva() + align(data_size, kSectionAlign);
    std::uint32_t resource_rva = 0, resource_size = 0, debug_rva = 0;
    if (!resources.empty()) {
        std::string r = resource_section(resources, next);
        resource_rva = next;
        resource_size = static_cast<std::uint32_t>(r.size());
        sections.push_back({".rsrc", next, 0x40000040, r, resource_size});
        next += align(resource_size, kSectionAlign);
    }
    if (!debug.empty()) {
        debug_rva = next;
        sections.push_back({".rdata", next, 0x40000040, std::string(28 * debug.size(), '\0'),
                            static_cast<std::uint32_t>(28 * debug.size())});
        next += kSectionAlign;
    }

    for (const TestPe::Section& more : more_sections) {
        const std::uint32_t size = static_cast<std::uint32_t>(more.bytes.size());
        const std::string name = more.name.size() <= 8 ? more.name : "/" + std::to_string(strings.add(more.name));
        sections.push_back({name, next, 0x42000040, more.bytes, size});
        next += align(std::max(size, 1u), kSectionAlign);
    }

    std::string file(kHeadersSize, '\0');
    std::uint32_t raw = kHeadersSize;
    for (Section& s : sections) {
        s.bytes.resize(align(static_cast<std::uint32_t>(s.bytes.size()), kFileAlign));
        raw += static_cast<std::uint32_t>(s.bytes.size());
    }
    // Debug data lies in the file after the sections, not mapped.
    if (!debug.empty()) {
        std::string& dir = sections.back().bytes;
        std::uint32_t at = raw;
        for (std::size_t i = 0; i < debug.size(); ++i) {
            put32(dir, 28 * i + 12, debug[i].type);
            put32(dir, 28 * i + 16, static_cast<std::uint32_t>(debug[i].data.size()));
            put32(dir, 28 * i + 24, at);
            at += static_cast<std::uint32_t>(debug[i].data.size());
        }
    }

    file[0] = 'M';
    file[1] = 'Z';
    put32(file, 0x3C, 0x40);
    file.replace(0x40, 4, std::string("PE\0\0", 4));
    put16(file, 0x44, 0x14C);
    put16(file, 0x46, static_cast<std::uint16_t>(sections.size()));
    put16(file, 0x54, 0xE0);
    put16(file, 0x56, 0x0102);
    const std::size_t opt = 0x58;
    put16(file, opt, 0x10B);
    put32(file, opt + 4, align(code_size, kFileAlign));
    put32(file, opt + 8, align(data_size, kFileAlign));
    put32(file, opt + 16, kCodeRva);
    put32(file, opt + 20, kCodeRva);
    put32(file, opt + 24, data_rva());
    put32(file, opt + 28, image_base);
    put32(file, opt + 32, kSectionAlign);
    put32(file, opt + 36, kFileAlign);
    put32(file, opt + 56, next);
    put32(file, opt + 60, kHeadersSize);
    put16(file, opt + 68, 2);
    put32(file, opt + 92, 16);
    put32(file, opt + 96 + 8 * 2, resource_rva);
    put32(file, opt + 100 + 8 * 2, resource_size);
    put32(file, opt + 96 + 8 * 6, debug_rva);
    put32(file, opt + 100 + 8 * 6, static_cast<std::uint32_t>(28 * debug.size()));
    std::uint32_t offset = kHeadersSize;
    for (std::size_t i = 0; i < sections.size(); ++i) {
        const std::size_t h = opt + 0xE0 + 40 * i;
        file.replace(h, 8, sections[i].name + std::string(8 - sections[i].name.size(), '\0'));
        put32(file, h + 8, sections[i].virtual_size);
        put32(file, h + 12, sections[i].rva);
        put32(file, h + 16, static_cast<std::uint32_t>(sections[i].bytes.size()));
        put32(file, h + 20, offset);
        put32(file, h + 36, sections[i].characteristics);
        offset += static_cast<std::uint32_t>(sections[i].bytes.size());
    }
    for (const Section& s : sections) file += s.bytes;
    for (const DebugEntry& d : debug) file += d.data;
    if (!symbols.empty() || strings.bytes.size() > 4) {  // the string table follows the symbols
        put32(file, 0x4C, static_cast<std::uint32_t>(file.size()));
        put32(file, 0x50, static_cast<std::uint32_t>(symbol_count(symbols)));
        file += symbol_table(symbols, strings);  // adds its long names to the strings
        file += strings.bytes;
    }
    return file;
}

}  // namespace roadsum::testing
