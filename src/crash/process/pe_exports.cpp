#include "crash/process/pe_exports.h"

#include <algorithm>

#include "crash/common/little_endian.h"

namespace roadsum {

namespace {

constexpr std::uint32_t kMaxExportNames = 1u << 16;
constexpr std::uint32_t kMaxExportNameLength = 512;

std::string read_name(const ModuleImage& image, std::uint32_t rva) {
    std::string s;
    char c = 0;
    while (s.size() < kMaxExportNameLength && image.read(rva + static_cast<std::uint32_t>(s.size()), &c, 1) && c) s += c;
    return s;
}

}  // namespace

std::vector<PeExport> read_pe_exports(const ModuleImage& image, const PeHeaders& headers) {
    std::vector<PeExport> exports;
    const auto [rva, size] = headers.directory(kExportDirectory);
    std::uint8_t d[40];
    if (!rva || size < 40 || !image.read(rva, d, 40)) return exports;
    const std::uint32_t function_count = get_le32(d + 20), functions = get_le32(d + 28), names = get_le32(d + 32),
                        ordinals = get_le32(d + 36);
    const std::uint32_t name_count = std::min(get_le32(d + 24), kMaxExportNames);
    for (std::uint32_t i = 0; i < name_count; ++i) {
        std::uint8_t b[4], o[2];
        if (!image.read(names + 4 * i, b, 4) || !image.read(ordinals + 2 * i, o, 2)) break;
        const std::uint32_t name_rva = get_le32(b), index = get_le16(o);
        if (index >= function_count || !image.read(functions + 4 * index, b, 4)) continue;
        const std::uint32_t function = get_le32(b);
        if (function == 0 || (function >= rva && function - rva < size)) continue;  // forwarded elsewhere
        exports.push_back({function, read_name(image, name_rva)});
    }
    return exports;
}

}  // namespace roadsum
