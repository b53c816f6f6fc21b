#include "crash/x86/map_file_symbols.h"

#include <algorithm>

namespace roadsum {

bool MapFileSymbols::contains(std::uint32_t address) const {
    if (map_->ImageSize != 0) return address - map_->ModuleHandle < map_->ImageSize;
    // Debug information without its module: the code range, where the end is known.
    return map_->CodeEnd != 0 && address >= map_->CodeStart && address < map_->CodeEnd;
}

bool MapFileSymbols::module_at(std::uint32_t address, ModuleInfo& out) const {
    if (!contains(address)) return false;
    out = {};
    out.image_begin = map_->ImageSize ? map_->ModuleHandle : map_->CodeStart;
    out.image_end = map_->ImageSize ? map_->ModuleHandle + map_->ImageSize : map_->CodeEnd;
    out.code_begin = map_->CodeStart;
    out.code_end = map_->CodeEnd;
    out.file_name = map_->ModuleFileName();
    out.main_module = main_module_;
    return true;
}

bool MapFileSymbols::symbol_at(std::uint32_t address, SymbolInfo& out) const {
    if (!map_->Loaded || !contains(address)) return false;
    MapFileInfos infos;
    if (!map_->GetMapFileInfos(address, infos) || infos.PublicName.empty()) return false;
    out = SymbolInfo{infos.PublicName, infos.PublicAddress, infos.UnitName, infos.Line};
    return true;
}

std::uint32_t MapFileSymbols::next_function_after(std::uint32_t address) const {
    const std::vector<TMfPublic>& publics = map_->Publics;
    auto it = std::upper_bound(publics.begin(), publics.end(), address,
                               [](std::uint32_t a, const TMfPublic& p) { return a < p.Address; });
    while (it != publics.end() && !it->IsCode) ++it;
    return it != publics.end() ? it->Address : 0;
}

RuntimeRoutines runtime_routines(const TMapFile& map) {
    // One pass for all five: a search turns every public's name into its display form.
    const auto found = map.FindPublicsByName(
        "System", {"@HandleAnyException", "@Halt0", "@HandleFinally", "@HandleAutoException", "@HandleOnException"});
    const auto address_of = [&](std::size_t i) -> std::uint32_t { return found[i] ? found[i]->Address : 0; };
    RuntimeRoutines r;
    r.HandleAnyException = address_of(0);
    r.Halt0 = address_of(1);
    r.HandleFinally = address_of(2);
    r.HandleAutoException = address_of(3);
    r.HandleOnException = address_of(4);
    return r;
}

}  // namespace roadsum
