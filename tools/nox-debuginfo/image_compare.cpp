#include "image_compare.h"

#include <algorithm>
#include <cstdio>
#include <optional>

#include "coff_symbols.h"
#include "debug_link.h"
#include "crash/archive/crc32.h"
#include "crash/process/pe_headers.h"

namespace roadsum {

namespace {

constexpr std::uint32_t kDiscardable = 0x02000000;

std::optional<PeHeaders> headers_of(std::string_view file) {
    return PeFileImage{std::string(file)}.headers();
}

std::string hex(std::uint32_t value, int digits = 8) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%0*x", digits, static_cast<unsigned>(value));
    return text;
}

// Sections that the debug information describes: everything loaded but resources and
// relocations, which lie after code and data and may change from link to link.
bool described(const std::string& name, const PeSectionHeader& s) {
    return name != ".rsrc" && name != ".reloc" && !(s.characteristics & kDiscardable);
}

bool is_dwarf(const std::string& name) { return name.starts_with(".debug_") || name.starts_with(".zdebug_"); }

const PeSectionHeader* find_section(std::string_view file, const PeHeaders& h, const std::string& name) {
    auto it = std::find_if(h.sections.begin(), h.sections.end(),
                           [&](const PeSectionHeader& s) { return section_name(file, h, s) == name; });
    return it == h.sections.end() ? nullptr : &*it;
}

// Where the section lies in the second file, when it is not where the first has it.
std::string placement_difference(const std::string& name, const PeSectionHeader& a, const PeSectionHeader& b) {
    if (b.virtual_address != a.virtual_address)
        return "section " + name + " moved from " + hex(a.virtual_address) + " to " + hex(b.virtual_address);
    if (b.virtual_size != a.virtual_size)
        return "section " + name + " changed its size from " + hex(a.virtual_size) + " to " + hex(b.virtual_size);
    return {};
}

std::string byte_difference(const std::string& name, std::uint32_t address, std::string_view a, std::string_view b) {
    const std::size_t common = std::min(a.size(), b.size());
    const auto at = std::mismatch(a.begin(), a.begin() + static_cast<std::ptrdiff_t>(common), b.begin()).first - a.begin();
    if (static_cast<std::size_t>(at) == common)
        return "section " + name + " stores " + std::to_string(a.size()) + " bytes in the first file and " +
               std::to_string(b.size()) + " in the second";
    std::size_t count = 0;
    for (std::size_t i = static_cast<std::size_t>(at); i < common; ++i) count += a[i] != b[i];
    const auto byte = [](char c) { return hex(static_cast<unsigned char>(c), 2); };
    return "section " + name + " differs in " + std::to_string(count) + (count == 1 ? " byte" : " bytes") + ", first at " +
           hex(address + static_cast<std::uint32_t>(at)) + " (" + byte(a[at]) + " in the first file, " + byte(b[at]) +
           " in the second)";
}

std::string checksum_difference(std::string_view file, const PeHeaders& h) {
    if (h.checksum == 0) return "the header checksum is 0 (not written)";
    const std::uint32_t computed = pe_file_checksum(file, h.checksum_offset);
    if (h.checksum == computed) return {};
    return "the header checksum is " + hex(h.checksum) + " but the file sums to " + hex(computed);
}

}  // namespace

std::string compare_images(std::string_view first, std::string_view second) {
    const auto a = headers_of(first), b = headers_of(second);
    if (!a || !b) return "not a 32-bit PE image";
    if (a->image_base != b->image_base)
        return "the image base moved from " + hex(a->image_base) + " to " + hex(b->image_base);
    if (a->entry_point != b->entry_point)
        return "the entry point moved from " + hex(a->entry_point) + " to " + hex(b->entry_point);
    for (const PeSectionHeader& s : a->sections) {
        const std::string name = section_name(first, *a, s);
        if (!described(name, s)) continue;
        const PeSectionHeader* other = find_section(second, *b, name);
        if (!other) return "section " + name + " is missing";
        if (std::string moved = placement_difference(name, s, *other); !moved.empty()) return moved;
        const std::string_view x = stored_bytes(first, s), y = stored_bytes(second, *other);
        if (x != y) return byte_difference(name, a->image_base + s.virtual_address, x, y);
    }
    return checksum_difference(second, *b);
}

std::string check_debug_link(std::string_view program, std::string_view side_file_name, std::string_view side_file) {
    const auto p = headers_of(program), d = headers_of(side_file);
    if (!p) return "the program is not a 32-bit PE image";
    if (!d) return "the side file is not a 32-bit PE image";
    for (const PeSectionHeader& s : p->sections)
        if (const std::string name = section_name(program, *p, s); is_dwarf(name))
            return "the program still holds the DWARF section " + name;
    // The names belong in the side file too: a shipped program carries no symbol table.
    if (p->symbol_count != 0)
        return "the program still holds a COFF symbol table (" + std::to_string(p->symbol_count) +
               (p->symbol_count == 1 ? " record" : " records") + "); link it with --strip-all";

    const std::optional<DebugLink> link = read_debug_link(program, *p);
    if (!link) return "the program has no .gnu_debuglink section, or a broken one";
    if (link->file_name != side_file_name)
        return "the .gnu_debuglink names " + link->file_name + ", not " + std::string(side_file_name);
    const std::uint32_t actual = crc32(bytes_of(side_file));
    if (link->crc != actual)
        return "the .gnu_debuglink expects CRC-32 " + hex(link->crc) + " but " + std::string(side_file_name) + " has " +
               hex(actual);

    if (d->symbol_count == 0) return "the side file has no COFF symbol table";
    for (const char* dwarf : {".debug_info", ".debug_line"})
        if (section_bytes(side_file, *d, dwarf).empty()) return "the side file has no " + std::string(dwarf);
    for (const PeSectionHeader& s : p->sections) {
        const std::string name = section_name(program, *p, s);
        if (!described(name, s)) continue;
        const PeSectionHeader* described_as = find_section(side_file, *d, name);
        if (!described_as) return "the side file does not describe section " + name;
        if (std::string moved = placement_difference(name, *described_as, s); !moved.empty())
            return "from the side file to the program, " + moved;
    }
    return {};
}

}  // namespace roadsum
