#include "pe_image.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <cxxabi.h>
#include <memory>

namespace roadsum {

namespace {

std::uint32_t u32(const std::vector<std::uint8_t>& f, std::size_t at) { return load_le32(&f[at]); }
std::uint16_t u16(const std::vector<std::uint8_t>& f, std::size_t at) {
    return static_cast<std::uint16_t>(f[at] | (f[at + 1] << 8));
}
bool fits(const std::vector<std::uint8_t>& f, std::size_t at, std::size_t n) { return at <= f.size() && n <= f.size() - at; }

constexpr std::uint32_t kMaxNames = 1u << 20;

}  // namespace

std::string readable_symbol_name(const std::string& raw) {
    std::string name = raw;
    if (name.rfind("__Z", 0) == 0) name.erase(0, 1);
    if (name.rfind("_Z", 0) == 0) {
        int status = 0;
        std::unique_ptr<char, void (*)(void*)> d(abi::__cxa_demangle(name.c_str(), nullptr, nullptr, &status), std::free);
        if (status == 0 && d) return d.get();
        return name;
    }
    if (!name.empty() && name[0] == '_') name.erase(0, 1);
    return name;
}

std::optional<PeImage> PeImage::parse(std::vector<std::uint8_t> file, std::string& error) {
    PeImage img;
    img.file_ = std::move(file);
    const auto& f = img.file_;
    if (!fits(f, 0, 0x40) || f[0] != 'M' || f[1] != 'Z') {
        error = "not an executable (no MZ header)";
        return std::nullopt;
    }
    const std::uint32_t pe = u32(f, 0x3C);
    if (!fits(f, pe, 24) || u32(f, pe) != 0x00004550) {
        error = "no PE header";
        return std::nullopt;
    }
    const std::uint16_t machine = u16(f, pe + 4), section_count = u16(f, pe + 6);
    const std::uint32_t symbol_offset = u32(f, pe + 12), symbol_count = u32(f, pe + 16);
    const std::uint16_t optional_size = u16(f, pe + 20);
    const std::size_t opt = pe + 24;
    if (machine != 0x14C || !fits(f, opt, optional_size) || optional_size < 96 || u16(f, opt) != 0x10B) {
        error = "not a 32-bit x86 image";
        return std::nullopt;
    }
    img.size_of_code_ = u32(f, opt + 4);
    img.size_of_data_ = u32(f, opt + 8) + u32(f, opt + 12);
    img.entry_point_ = u32(f, opt + 16);
    img.base_of_code_ = u32(f, opt + 20);
    img.base_of_data_ = u32(f, opt + 24);
    img.image_base_ = u32(f, opt + 28);
    img.image_size_ = u32(f, opt + 56);
    img.headers_size_ = u32(f, opt + 60);
    const std::uint32_t directories = std::min<std::uint32_t>(u32(f, opt + 92), (optional_size - 96) / 8);
    const std::size_t table = opt + optional_size;
    if (!fits(f, table, std::size_t{40} * section_count)) {
        error = "section table cut short";
        return std::nullopt;
    }
    for (std::uint16_t i = 0; i < section_count; ++i) {
        const std::size_t s = table + 40 * i;
        PeSection sec;
        sec.name.assign(reinterpret_cast<const char*>(&f[s]), strnlen(reinterpret_cast<const char*>(&f[s]), 8));
        sec.virtual_size = u32(f, s + 8);
        sec.virtual_address = u32(f, s + 12);
        sec.raw_size = u32(f, s + 16);
        sec.raw_offset = u32(f, s + 20);
        sec.characteristics = u32(f, s + 36);
        if (sec.virtual_size == 0) sec.virtual_size = sec.raw_size;
        img.sections_.push_back(sec);
    }
    if (directories > 0) img.read_exports(u32(f, opt + 96), u32(f, opt + 100));
    if (directories > 1) img.read_imports(u32(f, opt + 104));
    if (symbol_offset && symbol_count) img.read_coff_symbols(symbol_offset, symbol_count);
    std::stable_sort(img.names_.begin(), img.names_.end(),
                     [](const PeName& a, const PeName& b) { return a.address < b.address; });
    return img;
}

bool PeImage::read_rva(std::uint32_t rva, void* buffer, std::uint32_t count) const {
    auto* out = static_cast<std::uint8_t*>(buffer);
    if (rva < headers_size_ && count <= headers_size_ - rva) {
        if (!fits(file_, rva, count)) return false;
        std::memcpy(out, &file_[rva], count);
        return true;
    }
    for (const PeSection& s : sections_) {
        if (rva < s.virtual_address || rva - s.virtual_address >= s.virtual_size) continue;
        const std::uint32_t at = rva - s.virtual_address;
        if (count > s.virtual_size - at) return false;
        for (std::uint32_t i = 0; i < count; ++i) {
            const std::uint32_t off = at + i;
            if (off < s.raw_size) {
                if (!fits(file_, std::size_t{s.raw_offset} + off, 1)) return false;
                out[i] = file_[s.raw_offset + off];
            } else {
                out[i] = 0;
            }
        }
        return true;
    }
    return false;
}

bool PeImage::read(std::uint32_t address, void* buffer, std::uint32_t count) const {
    if (address == 0 || address < image_base_) return false;
    return read_rva(address - image_base_, buffer, count);
}

std::string PeImage::read_string(std::uint32_t rva) const {
    std::string s;
    char c = 0;
    while (s.size() < 512 && read_rva(rva + static_cast<std::uint32_t>(s.size()), &c, 1) && c) s += c;
    return s;
}

void PeImage::read_exports(std::uint32_t rva, std::uint32_t size) {
    std::uint8_t dir[40];
    if (!rva || size < 40 || !read_rva(rva, dir, 40)) return;
    const std::vector<std::uint8_t> d(dir, dir + 40);
    const std::uint32_t functions = u32(d, 28), names = u32(d, 32), ordinals = u32(d, 36);
    const std::uint32_t name_count = std::min(u32(d, 24), kMaxNames);
    for (std::uint32_t i = 0; i < name_count; ++i) {
        std::uint8_t b[4];
        std::uint16_t ordinal = 0;
        if (!read_rva(names + 4 * i, b, 4) || !read_rva(ordinals + 2 * i, &ordinal, 2)) return;
        const std::uint32_t name_rva = load_le32(b);
        if (!read_rva(functions + 4 * ordinal, b, 4)) continue;
        const std::uint32_t fn = load_le32(b);
        if (fn >= rva && fn < rva + size) continue;  // forwarded to another module
        names_.push_back({image_base_ + fn, read_string(name_rva), true, false});
    }
}

void PeImage::read_imports(std::uint32_t rva) {
    if (!rva) return;
    for (std::uint32_t i = 0; i < 4096; ++i) {
        std::uint8_t desc[20];
        if (!read_rva(rva + 20 * i, desc, 20)) return;
        const std::vector<std::uint8_t> d(desc, desc + 20);
        const std::uint32_t lookup = u32(d, 0) ? u32(d, 0) : u32(d, 16), dll = u32(d, 12), slots = u32(d, 16);
        if (!dll && !slots) return;
        const std::string module = read_string(dll);
        for (std::uint32_t k = 0; k < 65536; ++k) {
            std::uint8_t b[4];
            if (!read_rva(lookup + 4 * k, b, 4)) break;
            const std::uint32_t entry = load_le32(b);
            if (!entry) break;
            std::string name = entry & 0x80000000u ? "#" + std::to_string(entry & 0xFFFF) : read_string(entry + 2);
            names_.push_back({image_base_ + slots + 4 * k, name + " (" + module + ")", false, true});
        }
    }
}

void PeImage::read_coff_symbols(std::uint32_t offset, std::uint32_t count) {
    const auto& f = file_;
    if (count > kMaxNames || !fits(f, offset, std::size_t{18} * count)) return;
    const std::size_t strings = offset + std::size_t{18} * count;
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::size_t s = offset + 18 * std::size_t{i};
        const std::uint32_t value = u32(f, s + 8);
        const std::int16_t section = static_cast<std::int16_t>(u16(f, s + 12));
        const std::uint16_t type = u16(f, s + 14);
        const std::uint8_t storage = f[s + 16], aux = f[s + 17];
        std::string name;
        if (u32(f, s) == 0) {
            const std::size_t at = strings + u32(f, s + 4);
            if (fits(f, at, 1)) name.assign(reinterpret_cast<const char*>(&f[at]), strnlen(reinterpret_cast<const char*>(&f[at]), f.size() - at));
        } else {
            name.assign(reinterpret_cast<const char*>(&f[s]), strnlen(reinterpret_cast<const char*>(&f[s]), 8));
        }
        i += aux;
        if (section <= 0 || static_cast<std::size_t>(section) > sections_.size() || (storage != 2 && storage != 3)) continue;
        const bool function = (type & 0x30) == 0x20;
        if (!function && storage != 2) continue;  // static data and section symbols say nothing useful
        names_.push_back(
            {image_base_ + sections_[section - 1].virtual_address + value, readable_symbol_name(name), function, false});
    }
}

void PeImage::code_range(std::uint32_t& begin, std::uint32_t& end) const {
    if (!sections_.empty() && sections_[0].is_code()) {
        begin = image_base_ + sections_[0].virtual_address;
        end = begin + sections_[0].virtual_size;
        if (sections_.size() > 1 && sections_[1].is_code())
            end = image_base_ + sections_[1].virtual_address + sections_[1].virtual_size;
    } else {
        begin = image_base_ + base_of_code_;
        end = begin + size_of_code_;
    }
    if (base_of_data_) {
        begin = std::min(begin, image_base_ + base_of_data_);
        end = std::max(end, image_base_ + base_of_data_ + size_of_data_);
    }
}

bool PeSymbols::module_at(std::uint32_t address, ModuleInfo& out) const {
    if (address < image_.image_base() || address - image_.image_base() >= image_.image_size()) return false;
    out.image_begin = image_.image_base();
    out.image_end = image_.image_base() + image_.image_size();
    image_.code_range(out.code_begin, out.code_end);
    out.file_name = file_name_;
    out.main_module = true;
    return true;
}

bool PeSymbols::symbol_at(std::uint32_t address, SymbolInfo& out) const {
    const auto& names = image_.names();
    auto it = std::upper_bound(names.begin(), names.end(), address,
                               [](std::uint32_t a, const PeName& n) { return a < n.address; });
    if (it == names.begin()) return false;
    --it;
    const std::uint32_t at = it->address;
    const PeName* best = &*it;
    while (it != names.begin() && std::prev(it)->address == at) {
        --it;
        if (it->rank() > best->rank()) best = &*it;
    }
    // A name only covers the bytes up to the next name and within the image.
    if (address - at > 0x100000) return false;
    out = SymbolInfo{best->name, at, {}, 0};
    return true;
}

}  // namespace roadsum
