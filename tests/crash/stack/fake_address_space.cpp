#include "fake_address_space.h"

#include <algorithm>
#include <cstring>

#include "crash/common/file_names.h"
#include "crash/common/little_endian.h"
#include "crash/common/text_lists.h"
#include "crash/process/pe_exports.h"
#include "crash/process/pe_headers.h"

namespace roadsum::testing {

namespace {

constexpr std::uint32_t kMemFree = 0x10000;
constexpr std::size_t kImportDirectory = 1, kRelocationDirectory = 5;

class RegionImage final : public ModuleImage {
public:
    RegionImage(const MemoryReader& memory, std::uint32_t base) : memory_(memory), base_(base) {}
    std::uint32_t base() const override { return base_; }
    bool read(std::uint32_t rva, void* buffer, std::uint32_t count) const override {
        return memory_.try_read(base_ + rva, buffer, count);
    }

private:
    const MemoryReader& memory_;
    std::uint32_t base_;
};

}  // namespace

void FakeAddressSpace::Map(std::uint32_t base, std::vector<std::uint8_t> bytes, std::uint32_t protect) {
    regions_[base] = Region{std::move(bytes), protect};
}

void FakeAddressSpace::Unmap(std::uint32_t base) {
    regions_.erase(base);
    modules_.erase(base);
}

std::uint32_t FakeAddressSpace::MapImage(const std::string& file, std::uint32_t base, const std::string& path,
                                         std::shared_ptr<const TMapFile> debug) {
    const PeFileImage image(file, base);
    if (!image.valid()) return 0;
    const PeHeaders& h = *image.headers();
    base = image.base();
    std::vector<std::uint8_t> bytes(h.image_size);
    image.read(0, bytes.data(), std::min<std::uint32_t>(h.headers_size, h.image_size));
    for (const PeSectionHeader& s : h.sections)
        if (s.virtual_address < h.image_size)
            image.read(s.virtual_address, &bytes[s.virtual_address], std::min(s.virtual_size, h.image_size - s.virtual_address));

    // Relocated as the loader would, when the image does not sit where its header asks.
    const std::uint32_t delta = base - h.image_base;
    const PeDataDirectory relocations = h.directory(kRelocationDirectory);
    for (std::uint32_t at = relocations.rva; delta && at + 8 <= relocations.rva + relocations.size && at + 8 <= bytes.size();) {
        const std::uint32_t page = get_le32(&bytes[at]), size = get_le32(&bytes[at + 4]);
        if (size < 8 || at + size > bytes.size()) break;
        for (std::uint32_t e = at + 8; e + 2 <= at + size; e += 2) {
            const std::uint16_t entry = get_le16(&bytes[e]);
            const std::uint32_t target = page + (entry & 0x0FFF);
            if (entry >> 12 == 3 && target + 4 <= bytes.size()) put_le32(&bytes[target], get_le32(&bytes[target]) + delta);
        }
        at += size;
    }
    Map(base, std::move(bytes), kExecuteRead);
    modules_[base] = ModuleRecord{path, std::move(debug)};
    if (!main_) main_ = base;
    for (const auto& [module, record] : modules_) BindImports(module);
    return base;
}

void FakeAddressSpace::BindImports(std::uint32_t base) {
    const RegionImage image(*this, base);
    const std::optional<PeHeaders> h = read_pe_headers(image);
    if (!h) return;
    const PeDataDirectory imports = h->directory(kImportDirectory);
    for (std::uint32_t d = imports.rva; imports.rva && d + 20 <= imports.rva + imports.size; d += 20) {
        std::uint8_t desc[20];
        if (!image.read(d, desc, 20) || get_le32(desc + 12) == 0) break;
        std::string dll;
        for (char c = 0; image.read(get_le32(desc + 12) + static_cast<std::uint32_t>(dll.size()), &c, 1) && c;) dll += c;
        std::uint32_t exporter = 0;
        for (const auto& [module, record] : modules_)
            if (equal_ignoring_case(file_name_of(record.path), dll)) exporter = module;
        if (!exporter) continue;
        const RegionImage dll_image(*this, exporter);
        const std::optional<PeHeaders> dll_headers = read_pe_headers(dll_image);
        if (!dll_headers) continue;
        const std::vector<PeExport> exports = read_pe_exports(dll_image, *dll_headers);
        const std::uint32_t names = get_le32(desc) ? get_le32(desc) : get_le32(desc + 16), slots = get_le32(desc + 16);
        for (std::uint32_t k = 0;; ++k) {
            std::uint8_t b[4];
            if (!image.read(names + 4 * k, b, 4) || get_le32(b) == 0) break;
            if (get_le32(b) & 0x80000000u) continue;
            std::string name;
            for (char c = 0; image.read(get_le32(b) + 2 + static_cast<std::uint32_t>(name.size()), &c, 1) && c;) name += c;
            for (const PeExport& e : exports)
                if (e.name == name) PokeDword(base + slots + 4 * k, exporter + e.rva);
        }
    }
}

void FakeAddressSpace::SetDebugInfo(std::uint32_t module, std::shared_ptr<const TMapFile> debug) {
    modules_[module].debug = std::move(debug);
}

void FakeAddressSpace::SetModulePath(std::uint32_t module, const std::string& path) { modules_[module].path = path; }

const FakeAddressSpace::Region* FakeAddressSpace::RegionAt(std::uint32_t address, std::uint32_t& base) const {
    auto it = regions_.upper_bound(address);
    if (it == regions_.begin()) return nullptr;
    --it;
    if (address - it->first >= it->second.bytes.size()) return nullptr;
    base = it->first;
    return &it->second;
}

void FakeAddressSpace::Poke(std::uint32_t address, const std::vector<std::uint8_t>& bytes) {
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        std::uint32_t base = 0;
        auto* region = const_cast<Region*>(RegionAt(address + static_cast<std::uint32_t>(i), base));
        if (region) region->bytes[address + i - base] = bytes[i];
    }
}

void FakeAddressSpace::PokeDword(std::uint32_t address, std::uint32_t value) {
    std::vector<std::uint8_t> bytes(4);
    put_le32(bytes.data(), value);
    Poke(address, bytes);
}

bool FakeAddressSpace::try_read(std::uint32_t address, void* buffer, std::uint32_t count) const {
    ++reads_;
    if (address == 0 || count - 1 > 0xFFFFFFFFu - address) return count == 0 && address != 0;
    // Adjacent readable regions read as one, as the system's process-memory read does.
    auto* out = static_cast<std::uint8_t*>(buffer);
    for (std::uint32_t done = 0; done < count;) {
        std::uint32_t base = 0;
        const Region* region = RegionAt(address + done, base);
        if (!region || region->protect == kNoAccess) return false;
        const std::uint32_t offset = address + done - base;
        const std::uint32_t n = std::min<std::uint32_t>(count - done, static_cast<std::uint32_t>(region->bytes.size()) - offset);
        std::memcpy(out + done, &region->bytes[offset], n);
        done += n;
    }
    return true;
}

bool FakeAddressSpace::readable_range(std::uint32_t address, std::uint32_t& begin, std::uint32_t& end) const {
    std::uint32_t base = 0;
    const Region* region = RegionAt(address, base);
    if (!region || region->protect == kNoAccess) return false;
    begin = base;
    end = base + static_cast<std::uint32_t>(region->bytes.size());
    return true;
}

bool FakeAddressSpace::Query(std::uint32_t address, StackRegionInfo& out) const {
    std::uint32_t base = 0;
    if (const Region* region = RegionAt(address, base)) {
        out = {base, base, static_cast<std::uint32_t>(region->bytes.size()), kMemCommit, region->protect};
        return true;
    }
    // Free memory up to the next region.
    auto next = regions_.upper_bound(address);
    const std::uint32_t start = address & ~0xFFFu;
    const std::uint32_t end = next == regions_.end() ? std::max(start + 0x1000, 0x80000000u) : next->first;
    out = {start, 0, end - start, kMemFree, kNoAccess};
    return true;
}

std::string FakeAddressSpace::ModuleFileName(std::uint32_t module) const {
    const auto it = modules_.find(module);
    return it == modules_.end() ? std::string() : it->second.path;
}

std::shared_ptr<const TMapFile> FakeAddressSpace::DebugInfo(std::uint32_t module, const std::string&) const {
    ++debug_lookups_;
    const auto it = modules_.find(module);
    return it == modules_.end() ? nullptr : it->second.debug;
}

}  // namespace roadsum::testing
