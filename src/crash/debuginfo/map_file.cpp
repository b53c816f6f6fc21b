#include "crash/debuginfo/map_file.h"

#include <algorithm>

#include "crash/common/file_names.h"
#include "crash/common/text_lists.h"

namespace roadsum {

void TMapFile::set_layout(const ModuleLayout& layout) {
    ModuleHandle = layout.ModuleHandle;
    ImageSize = layout.ImageSize;
    CodeStart = layout.CodeStart;
    CodeEnd = layout.CodeEnd;
    DataStart = layout.DataStart;
    DataEnd = layout.DataEnd;
}

void TMapFile::Assign(DebugTables tables) {
    sort_debug_tables(tables);
    Segments = std::move(tables.Segments);
    Publics = std::move(tables.Publics);
    Lines = std::move(tables.Lines);
    EntryAddress = tables.EntryAddress;
}

TMfSegment TMapFile::FindSegment(std::uint32_t address, bool code) const {
    const TMfSegment* segment = find_segment(Segments, address, code);
    return segment ? *segment : TMfSegment{};
}

TMfPublic TMapFile::FindPublic(std::uint32_t address) const {
    auto it = std::upper_bound(Publics.begin(), Publics.end(), address,
                               [](std::uint32_t a, const TMfPublic& p) { return a < p.Address; });
    if (it == Publics.begin()) return {};
    const bool last = it == Publics.end();
    --it;
    if (last && CodeEnd != 0 && address >= CodeEnd) return {};
    return *it;
}

std::optional<TMfPublic> TMapFile::FindPublicByName(std::string_view unit, std::string_view name) const {
    return FindPublicsByName(unit, {name}).front();
}

std::vector<std::optional<TMfPublic>> TMapFile::FindPublicsByName(std::string_view unit,
                                                                  const std::vector<std::string_view>& names) const {
    std::vector<std::optional<TMfPublic>> found(names.size());
    std::size_t missing = names.size();
    for (auto p = Publics.begin(); p != Publics.end() && missing > 0; ++p) {
        const UnmangledName display = Unmangle(p->Name);
        for (std::size_t i = 0; i < names.size(); ++i) {
            if (found[i] || (!equal_ignoring_case(p->Name, names[i]) && !equal_ignoring_case(display.name, names[i])))
                continue;
            std::string public_unit = FindSegment(p->Address, p->IsCode).Name;
            if (public_unit.empty()) public_unit = display.unit;
            if (!equal_ignoring_case(public_unit, unit)) continue;
            found[i] = *p;
            --missing;
        }
    }
    return found;
}

LineLookup TMapFile::FindLine(std::uint32_t address) const {
    const TMfSegment seg = FindSegment(address, true);
    if (Lines.empty()) return {seg.Used && seg.HasLines ? -1 : 0, 0};
    auto it = std::upper_bound(Lines.begin(), Lines.end(), address,
                               [](std::uint32_t a, const TMfLine& l) { return a < l.Address; });
    LineLookup result;
    result.NextAddress = it != Lines.end() ? it->Address : 0;
    if (it == Lines.begin() || !seg.Used) return result;
    const TMfLine& found = *std::prev(it);
    if (found.Address >= seg.Start && found.Address - seg.Start <= seg.Length) result.Line = found.Line;
    return result;
}

std::string TMapFile::ModuleFileName() const {
    return std::string(file_name_of(ReportedPath.empty() ? ModulePath : ReportedPath));
}

bool TMapFile::GetMapFileInfos(std::uint32_t address, MapFileInfos& out) const {
    if (!Loaded) return false;
    out = {};
    out.ModuleName = ModuleFileName();
    const TMfPublic pub = FindPublic(address);
    const UnmangledName display = Unmangle(pub.Name);
    out.UnitName = FindSegment(address, true).Name;
    if (out.UnitName.empty()) out.UnitName = display.unit;
    out.Line = std::max(FindLine(address).Line, 0);
    out.PublicAddress = pub.Address;
    out.PublicName = display.name;
    return true;
}

std::string TMapFile::GetFunctionName(std::uint32_t address) const {
    const TMfPublic pub = FindPublic(address);
    return pub.Used ? Unmangle(pub.Name).name : std::string();
}

std::int32_t TMapFile::GetFunctionStartLine(std::uint32_t address) const {
    const TMfPublic pub = FindPublic(address);
    return pub.Used ? FindLine(pub.Address).Line : 0;
}

}  // namespace roadsum
