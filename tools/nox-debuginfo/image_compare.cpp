#include "image_compare.h"

#include <algorithm>
#include <optional>

#include "coff_symbols.h"
#include "crash/process/pe_headers.h"

namespace roadsum {

namespace {

constexpr std::uint32_t kDiscardable = 0x02000000;

std::optional<PeHeaders> headers_of(std::string_view file) {
    return PeFileImage{std::string(file)}.headers();
}

}  // namespace

std::string compare_images(std::string_view first, std::string_view second) {
    const auto a = headers_of(first), b = headers_of(second);
    if (!a || !b) return "not a 32-bit PE image";
    if (a->image_base != b->image_base || a->entry_point != b->entry_point) return "image base or entry point differ";
    for (const PeSectionHeader& s : a->sections) {
        const std::string name = section_name(first, *a, s);
        if (name == ".rsrc" || name == ".reloc" || (s.characteristics & kDiscardable)) continue;
        auto other = std::find_if(b->sections.begin(), b->sections.end(),
                                  [&](const PeSectionHeader& t) { return section_name(second, *b, t) == name; });
        if (other == b->sections.end()) return "section " + name + " is missing";
        if (other->virtual_address != s.virtual_address || other->virtual_size != s.virtual_size)
            return "section " + name + " moved or changed its size";
        if (stored_bytes(first, s) != stored_bytes(second, *other)) return "the bytes of section " + name + " differ";
    }
    if (b->checksum == 0 || b->checksum != pe_file_checksum(second, b->checksum_offset))
        return "the header checksum is not right";
    return {};
}

}  // namespace roadsum
