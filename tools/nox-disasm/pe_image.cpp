#include "pe_image.h"

#include <algorithm>
#include <cstdlib>
#include <cxxabi.h>
#include <memory>

#include "../common/tool_io.h"
#include "coff_symbols.h"
#include "crash/archive/crc32.h"
#include "crash/common/little_endian.h"
#include "debug_link.h"

namespace roadsum {

namespace {

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

std::optional<PeImage> PeImage::parse(std::string file, std::string& error) {
    // The first two checks only tell a plain file and a DOS program from an image.
    const auto* f = reinterpret_cast<const std::uint8_t*>(file.data());
    if (file.size() < 0x40 || f[0] != 'M' || f[1] != 'Z') {
        error = "not an executable (no MZ header)";
        return std::nullopt;
    }
    const std::uint32_t pe = get_le32(f + 0x3C);
    if (pe > file.size() || file.size() - pe < 24 || get_le32(f + pe) != 0x00004550) {
        error = "no PE header";
        return std::nullopt;
    }
    PeImage img(std::move(file));
    if (!img.mapped_.valid()) {
        error = "not a 32-bit x86 image, or its headers are cut short";
        return std::nullopt;
    }
    const PeHeaders& h = img.headers();
    img.read_exports();
    img.read_imports(h.directory(1).rva);
    img.read_coff_symbols(img.mapped_.file(), h);
    const ModuleLayout l = module_layout(h, h.image_base);
    img.code_begin_ = l.CodeStart;
    img.code_end_ = l.CodeEnd;
    if (h.base_of_data) {
        img.code_begin_ = std::min(img.code_begin_, l.DataStart);
        img.code_end_ = std::max(img.code_end_, l.DataEnd);
    }
    img.sort_names();
    return img;
}

std::optional<PeImage> PeImage::load(const std::string& path, std::string& error, std::string& warning) {
    std::optional<std::string> file = tool::read_file(path);
    if (!file) {
        error = "cannot open the file";
        return std::nullopt;
    }
    std::optional<PeImage> image = parse(std::move(*file), error);
    if (image && image->headers().symbol_count == 0) warning = image->read_side_file_symbols(path);
    return image;
}

std::string PeImage::read_side_file_symbols(const std::string& path) {
    const std::optional<DebugLink> link = read_debug_link(mapped_.file(), headers());
    if (!link) return {};
    const std::string side_path = path.substr(0, path.find_last_of("/\\") + 1) + link->file_name;
    std::optional<std::string> side = tool::read_file(side_path);
    if (!side) return "no symbols: cannot open the side file " + side_path;
    if (crc32(bytes_of(*side)) != link->crc) return "no symbols: " + side_path + " is not the side file the program links to";
    const PeFileImage side_image(std::move(*side));
    if (!side_image.valid()) return "no symbols: " + side_path + " is not a 32-bit PE image";
    if (side_image.headers()->image_base != image_base()) return "no symbols: " + side_path + " has another image base";
    read_coff_symbols(side_image.file(), *side_image.headers());
    sort_names();
    return {};
}

void PeImage::sort_names() {
    std::stable_sort(names_.begin(), names_.end(), [](const PeName& a, const PeName& b) { return a.address < b.address; });
}

bool PeImage::read(std::uint32_t address, void* buffer, std::uint32_t count) const {
    if (address == 0 || address < image_base()) return false;
    return mapped_.read(address - image_base(), buffer, count);
}

std::string PeImage::read_string(std::uint32_t rva) const {
    std::string s;
    char c = 0;
    while (s.size() < 512 && mapped_.read(rva + static_cast<std::uint32_t>(s.size()), &c, 1) && c) s += c;
    return s;
}

void PeImage::read_exports() {
    for (const PeExport& e : read_pe_exports(mapped_, headers())) names_.push_back({image_base() + e.rva, e.name, true, false});
}

void PeImage::read_imports(std::uint32_t rva) {
    if (!rva) return;
    for (std::uint32_t i = 0; i < 4096; ++i) {
        std::uint8_t d[20];
        if (!mapped_.read(rva + 20 * i, d, 20)) return;
        const std::uint32_t lookup = get_le32(d) ? get_le32(d) : get_le32(d + 16), dll = get_le32(d + 12),
                            slots = get_le32(d + 16);
        if (!dll && !slots) return;
        const std::string module = read_string(dll);
        for (std::uint32_t k = 0; k < 65536; ++k) {
            std::uint8_t b[4];
            if (!mapped_.read(lookup + 4 * k, b, 4)) break;
            const std::uint32_t entry = get_le32(b);
            if (!entry) break;
            std::string name = entry & 0x80000000u ? "#" + std::to_string(entry & 0xFFFF) : read_string(entry + 2);
            names_.push_back({image_base() + slots + 4 * k, name + " (" + module + ")", false, true});
        }
    }
}

// h: the headers of the file that holds the symbols (the image or its side file), whose
// section numbers the symbols count by.
void PeImage::read_coff_symbols(std::string_view file, const PeHeaders& h) {
    if (h.symbol_count > kMaxNames) return;
    for (const CoffSymbol& s : roadsum::read_coff_symbols(file, h)) {
        if (s.section <= 0 || static_cast<std::size_t>(s.section) > h.sections.size() ||
            (s.storage != CoffSymbol::kExternal && s.storage != CoffSymbol::kStatic))
            continue;
        // Static data and section symbols say nothing useful.
        if (!s.is_function() && s.storage != CoffSymbol::kExternal) continue;
        names_.push_back({image_base() + h.sections[s.section - 1].virtual_address + s.value,
                          readable_symbol_name(s.name), s.is_function(), false});
    }
}

void PeImage::code_range(std::uint32_t& begin, std::uint32_t& end) const {
    begin = code_begin_;
    end = code_end_;
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

std::uint32_t PeSymbols::next_function_after(std::uint32_t address) const {
    const auto& names = image_.names();
    auto it = std::upper_bound(names.begin(), names.end(), address,
                               [](std::uint32_t a, const PeName& n) { return a < n.address; });
    // Section symbols (".text...") start code too: that of static functions without names.
    while (it != names.end() && !it->function && it->name.rfind('.', 0) != 0) ++it;
    return it != names.end() ? it->address : 0;
}

}  // namespace roadsum
