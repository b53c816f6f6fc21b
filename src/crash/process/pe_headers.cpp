#include "crash/process/pe_headers.h"

#include <algorithm>
#include <cstring>

#include "crash/common/little_endian.h"

namespace roadsum {

namespace {

constexpr std::uint32_t kMaxSections = 96;
constexpr std::uint32_t kMaxResourceEntries = 4096;
constexpr std::uint32_t kMaxResourceSize = 256u << 20;
constexpr std::uint32_t kMaxDebugEntries = 64;

bool ascii_equal_ignoring_case(std::u16string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char16_t x = a[i];
        char y = b[i];
        if (x >= u'a' && x <= u'z') x = static_cast<char16_t>(x - 32);
        if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 32);
        if (x != static_cast<unsigned char>(y)) return false;
    }
    return true;
}

class ResourceWalker {
public:
    ResourceWalker(const ModuleImage& image, std::uint32_t root) : image_(image), root_(root) {}

    // The entry's data word (with its subdirectory bit) for id in the directory at offset.
    std::optional<std::uint32_t> find(std::uint32_t offset, const ResourceId* id) const {
        std::uint8_t dir[16];
        if (!image_.read(root_ + offset, dir, 16)) return std::nullopt;
        const std::uint32_t count = std::min<std::uint32_t>(get_le16(dir + 12) + get_le16(dir + 14), kMaxResourceEntries);
        for (std::uint32_t i = 0; i < count; ++i) {
            std::uint8_t entry[8];
            if (!image_.read(root_ + offset + 16 + 8 * i, entry, 8)) return std::nullopt;
            const std::uint32_t name = get_le32(entry), data = get_le32(entry + 4);
            if (!id || matches(name, *id)) return data;
        }
        return std::nullopt;
    }

private:
    bool matches(std::uint32_t name, const ResourceId& id) const {
        if (const auto* number = std::get_if<std::uint16_t>(&id)) return (name & 0x80000000u) == 0 && name == *number;
        if ((name & 0x80000000u) == 0) return false;
        const std::string_view text = std::get<std::string_view>(id);
        std::uint8_t length[2];
        const std::uint32_t at = root_ + (name & 0x7FFFFFFFu);
        if (!image_.read(at, length, 2) || get_le16(length) != text.size()) return false;
        std::u16string chars(text.size(), u'\0');
        std::vector<std::uint8_t> raw(text.size() * 2);
        if (!raw.empty() && !image_.read(at + 2, raw.data(), static_cast<std::uint32_t>(raw.size()))) return false;
        for (std::size_t i = 0; i < chars.size(); ++i) chars[i] = static_cast<char16_t>(get_le16(&raw[2 * i]));
        return ascii_equal_ignoring_case(chars, text);
    }

    const ModuleImage& image_;
    std::uint32_t root_;
};

}  // namespace

std::optional<PeHeaders> read_pe_headers(const ModuleImage& image) {
    std::uint8_t dos[0x40];
    if (!image.read(0, dos, sizeof dos) || dos[0] != 'M' || dos[1] != 'Z') return std::nullopt;
    const std::uint32_t pe = get_le32(dos + 0x3C);
    std::uint8_t file_header[24];
    if (pe > 0x10000000u || !image.read(pe, file_header, 24) || std::memcmp(file_header, "PE\0\0", 4) != 0 ||
        get_le16(file_header + 4) != 0x14C)
        return std::nullopt;
    const std::uint32_t section_count = get_le16(file_header + 6);
    const std::uint32_t optional_size = get_le16(file_header + 20);
    if (optional_size < 96 || section_count > kMaxSections) return std::nullopt;
    std::vector<std::uint8_t> opt(optional_size);
    if (!image.read(pe + 24, opt.data(), optional_size) || get_le16(opt.data()) != 0x10B) return std::nullopt;

    PeHeaders h;
    h.symbol_table_offset = get_le32(file_header + 12);
    h.symbol_count = get_le32(file_header + 16);
    h.size_of_code = get_le32(&opt[4]);
    h.size_of_initialized_data = get_le32(&opt[8]);
    h.size_of_uninitialized_data = get_le32(&opt[12]);
    h.entry_point = get_le32(&opt[16]);
    h.base_of_code = get_le32(&opt[20]);
    h.base_of_data = get_le32(&opt[24]);
    h.image_base = get_le32(&opt[28]);
    h.image_size = get_le32(&opt[56]);
    h.headers_size = get_le32(&opt[60]);
    h.checksum = get_le32(&opt[64]);
    h.checksum_offset = pe + 24 + 64;
    const std::uint32_t directory_count = std::min<std::uint32_t>(get_le32(&opt[92]), (optional_size - 96) / 8);
    for (std::uint32_t i = 0; i < directory_count; ++i)
        h.directories.push_back({get_le32(&opt[96 + 8 * i]), get_le32(&opt[100 + 8 * i])});

    std::vector<std::uint8_t> table(std::size_t{40} * section_count);
    if (!table.empty() && !image.read(pe + 24 + optional_size, table.data(), static_cast<std::uint32_t>(table.size())))
        return std::nullopt;
    for (std::uint32_t i = 0; i < section_count; ++i) {
        const std::uint8_t* s = &table[40 * i];
        PeSectionHeader sec;
        sec.name.assign(reinterpret_cast<const char*>(s), strnlen(reinterpret_cast<const char*>(s), 8));
        sec.virtual_size = get_le32(s + 8);
        sec.virtual_address = get_le32(s + 12);
        sec.raw_size = get_le32(s + 16);
        sec.raw_offset = get_le32(s + 20);
        sec.characteristics = get_le32(s + 36);
        if (sec.virtual_size == 0) sec.virtual_size = sec.raw_size;
        h.sections.push_back(std::move(sec));
    }
    return h;
}

ModuleLayout module_layout(const PeHeaders& h, std::uint32_t base) {
    ModuleLayout l;
    l.ModuleHandle = base;
    l.ImageSize = h.image_size;
    if (!h.sections.empty() && h.sections[0].is_code()) {
        l.CodeStart = base + h.sections[0].virtual_address;
        l.CodeEnd = l.CodeStart + h.sections[0].virtual_size;
        if (h.sections.size() > 1 && h.sections[1].is_code())
            l.CodeEnd = base + h.sections[1].virtual_address + h.sections[1].virtual_size;
    } else {
        l.CodeStart = base + h.base_of_code;
        l.CodeEnd = l.CodeStart + h.size_of_code;
    }
    l.DataStart = base + h.base_of_data;
    l.DataEnd = l.DataStart + h.size_of_initialized_data + h.size_of_uninitialized_data;
    for (const PeSectionHeader& s : h.sections) l.Sections.push_back({base + s.virtual_address, s.virtual_size, s.is_code()});
    return l;
}

std::optional<std::string> find_resource(const ModuleImage& image, const PeHeaders& headers, ResourceId type,
                                         ResourceId name) {
    const PeDataDirectory dir = headers.directory(kResourceDirectory);
    if (dir.rva == 0) return std::nullopt;
    const ResourceWalker walker(image, dir.rva);
    const auto types = walker.find(0, &type);
    if (!types || (*types & 0x80000000u) == 0) return std::nullopt;
    const auto names = walker.find(*types & 0x7FFFFFFFu, &name);
    if (!names || (*names & 0x80000000u) == 0) return std::nullopt;
    const auto language = walker.find(*names & 0x7FFFFFFFu, nullptr);
    if (!language || (*language & 0x80000000u) != 0) return std::nullopt;
    std::uint8_t entry[8];
    if (!image.read(dir.rva + *language, entry, 8)) return std::nullopt;
    const std::uint32_t rva = get_le32(entry), size = get_le32(entry + 4);
    if (size > kMaxResourceSize) return std::nullopt;
    std::string data(size, '\0');
    if (size > 0 && !image.read(rva, data.data(), size)) return std::nullopt;
    return data;
}

std::vector<PeDebugEntry> read_debug_directory(const ModuleImage& image, const PeHeaders& headers) {
    std::vector<PeDebugEntry> entries;
    const PeDataDirectory dir = headers.directory(kDebugDirectory);
    const std::uint32_t count = std::min(dir.size / 28, kMaxDebugEntries);
    for (std::uint32_t i = 0; i < count; ++i) {
        std::uint8_t e[28];
        if (!image.read(dir.rva + 28 * i, e, 28)) break;
        entries.push_back({get_le32(e + 12), get_le32(e + 16), get_le32(e + 20), get_le32(e + 24)});
    }
    return entries;
}

std::uint32_t pe_file_checksum(std::string_view file, std::uint32_t checksum_offset) {
    const auto byte = [&](std::size_t i) -> std::uint32_t {
        if (i >= file.size() || (i >= checksum_offset && i - checksum_offset < 4)) return 0;
        return static_cast<std::uint8_t>(file[i]);
    };
    std::uint64_t sum = 0;
    for (std::size_t i = 0; i < file.size(); i += 2) {
        sum += byte(i) | byte(i + 1) << 8;
        sum = (sum & 0xFFFF) + (sum >> 16);
    }
    sum = (sum & 0xFFFF) + (sum >> 16);
    return static_cast<std::uint32_t>(sum + file.size());
}

PeFileImage::PeFileImage(std::string file, std::uint32_t base) : file_(std::move(file)) {
    // The headers map one to one onto the file's start, so they are read before the sections
    // are known.
    headers_size_ = static_cast<std::uint32_t>(std::min<std::size_t>(file_.size(), 0xFFFFFFFFu));
    std::optional<PeHeaders> h = read_pe_headers(*this);
    headers_size_ = 0;
    if (!h) return;
    headers_size_ = std::min<std::uint32_t>(h->headers_size, static_cast<std::uint32_t>(file_.size()));
    base_ = base ? base : h->image_base;
    headers_ = std::move(h);
}

bool PeFileImage::read(std::uint32_t rva, void* buffer, std::uint32_t count) const {
    auto* out = static_cast<std::uint8_t*>(buffer);
    if (rva < headers_size_) {
        if (count > headers_size_ - rva) return false;
        std::memcpy(out, file_.data() + rva, count);
        return true;
    }
    if (!headers_) return false;
    for (const PeSectionHeader& s : headers_->sections) {
        if (rva < s.virtual_address || rva - s.virtual_address >= s.virtual_size) continue;
        const std::uint32_t at = rva - s.virtual_address;
        if (count > s.virtual_size - at) return false;
        // The part backed by the file, then zeros.
        const std::uint32_t backed = at < s.raw_size ? std::min(count, s.raw_size - at) : 0;
        if (backed > 0) {
            const std::uint64_t from = std::uint64_t{s.raw_offset} + at;
            if (from + backed > file_.size()) return false;
            std::memcpy(out, file_.data() + from, backed);
        }
        std::memset(out + backed, 0, count - backed);
        return true;
    }
    return false;
}

}  // namespace roadsum
