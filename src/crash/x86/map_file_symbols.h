// The debug information of a module answering the disassembler's questions: which module an
// address lies in, and which function, unit and line.
#pragma once

#include <memory>

#include "crash/debuginfo/map_file.h"
#include "crash/x86/function_info.h"
#include "crash/x86/symbol_lookup.h"

namespace roadsum {

class MapFileSymbols final : public SymbolLookup {
public:
    MapFileSymbols(std::shared_ptr<const TMapFile> map, bool main_module)
        : map_(std::move(map)), main_module_(main_module) {}

    bool module_at(std::uint32_t address, ModuleInfo& out) const override;
    bool symbol_at(std::uint32_t address, SymbolInfo& out) const override;
    std::uint32_t next_function_after(std::uint32_t address) const override;
    // The debug information gives a function's cold part the function's own name.
    bool is_cold_part(std::string_view function, std::string_view name) const override { return function == name; }

private:
    bool contains(std::uint32_t address) const;

    std::shared_ptr<const TMapFile> map_;
    bool main_module_;
};

// The run-time library's exception routines of unit "System", where the module has them.
RuntimeRoutines runtime_routines(const TMapFile& map);

}  // namespace roadsum
