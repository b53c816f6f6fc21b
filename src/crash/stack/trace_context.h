// The process and the caches as one trace (or one address lookup) sees them: modules are
// registered when first met, functions analysed when first needed.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_set>
#include <vector>

#include "crash/stack/stack_caches.h"
#include "crash/stack/trace_process.h"
#include "crash/x86/symbol_lookup.h"

namespace roadsum {

class TraceContext {
public:
    TraceContext(const TraceProcess& process, StackCaches& caches);
    TraceContext(const TraceContext&) = delete;
    TraceContext& operator=(const TraceContext&) = delete;

    const TraceProcess& Process() const { return process_; }
    const MemoryReader& Memory() const { return process_.Memory(); }

    // The module loaded at allocation_base, registered when first met (its file name must be
    // known and its image headers readable); -1 otherwise. A cached module whose file changed
    // since an earlier trace is read again.
    std::int32_t RegisterModule(std::uint32_t allocation_base);
    // The module whose image contains address, through the memory query; -1 when none.
    std::int32_t ModuleAt(std::uint32_t address);
    const TStackModule& Module(std::int32_t index) const { return caches_.Modules()[index]; }
    // The module's named exports by address, read from its headers when first asked for.
    const std::vector<TStackExport>& Exports(std::int32_t module);

    // The function starting at entry, analysed when first met; approval is kept once given.
    std::int32_t RegisterFunction(std::uint32_t entry, const std::string& name, std::int32_t module, bool approved);
    TStackFunction& Function(std::int32_t index) { return caches_.Functions()[index]; }
    StackCaches& Caches() { return caches_; }
    const StackCaches& Caches() const { return caches_; }

    // The display name of the public symbol or export that starts exactly at address, and
    // its stored form; false when none does.
    bool SymbolStartingAt(std::uint32_t address, std::string& stored, std::string& display);
    // The display name of the public or export containing address (empty when none).
    std::string FunctionNameAt(std::uint32_t address);

    // The main executable's run-time exception routines, for the function analysis.
    const RuntimeRoutines& Routines();

private:
    class Symbols final : public SymbolLookup {
    public:
        explicit Symbols(TraceContext& context) : context_(context) {}
        bool module_at(std::uint32_t address, ModuleInfo& out) const override;
        bool symbol_at(std::uint32_t address, SymbolInfo& out) const override;

    private:
        TraceContext& context_;
    };

    // The module's headers and ranges; its debug information is not looked up.
    bool ReadModule(std::uint32_t base, const std::string& path, TStackModule& out) const;
    // The export at or below address, or nullptr.
    const TStackExport* ExportAtOrBelow(std::int32_t module, std::uint32_t address);

    const TraceProcess& process_;
    StackCaches& caches_;
    Symbols symbols_;
    std::unordered_set<std::uint32_t> no_module_;  // allocation bases that are no module, this trace
};

}  // namespace roadsum
