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
    const auto address_of = [&](const char* name) -> std::uint32_t {
        const auto p = map.FindPublicByName("System", name);
        return p ? p->Address : 0;
    };
    RuntimeRoutines r;
    r.HandleAnyException = address_of("@HandleAnyException");
    r.Halt0 = address_of("@Halt0");
    r.HandleFinally = address_of("@HandleFinally");
    r.HandleAutoException = address_of("@HandleAutoException");
    r.HandleOnException = address_of("@HandleOnException");
    return r;
}

}  // namespace roadsum
