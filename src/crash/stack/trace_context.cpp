#include "crash/stack/trace_context.h"

#include <algorithm>

#include "crash/common/file_names.h"
#include "crash/debuginfo/unmangle.h"
#include "crash/process/pe_exports.h"
#include "crash/process/pe_headers.h"
#include "crash/x86/decoder.h"
#include "crash/x86/function_analyser.h"
#include "crash/x86/map_file_symbols.h"

namespace roadsum {

namespace {

// A module's image read where the process maps it.
class MappedModuleImage final : public ModuleImage {
public:
    MappedModuleImage(const MemoryReader& memory, std::uint32_t base) : memory_(memory), base_(base) {}
    std::uint32_t base() const override { return base_; }
    bool read(std::uint32_t rva, void* buffer, std::uint32_t count) const override {
        if (rva > 0xFFFFFFFFu - base_) return false;
        return memory_.try_read(base_ + rva, buffer, count);
    }

private:
    const MemoryReader& memory_;
    std::uint32_t base_;
};

// What an indirect jump hands control to: a case jump through a table indexed by a register
// stays inside the function; a jump through a constant slot (an import thunk) goes on to the
// function stored there; any other goes where the analysis cannot see.
enum class JumpKind { kCase, kSlot, kUnknown };

JumpKind jump_kind(const MemoryReader& memory, std::uint32_t address, std::uint32_t& slot_target) {
    x86::Instruction ins;
    if (!x86::decode_at(memory, address, ins) || ins.target_kind != x86::TargetKind::kMemory) return JumpKind::kUnknown;
    if (ins.memory.base < 0 && ins.memory.index >= 0 && ins.memory.scale == 4 && !ins.memory.address16) return JumpKind::kCase;
    if (ins.has_memory_address && read_dword(memory, ins.memory_address, slot_target) && slot_target) return JumpKind::kSlot;
    return JumpKind::kUnknown;
}

}  // namespace

TraceContext::TraceContext(const TraceProcess& process, StackCaches& caches)
    : process_(process), caches_(caches), symbols_(*this) {}

bool TraceContext::ReadModule(std::uint32_t base, const std::string& path, TStackModule& out) const {
    const MappedModuleImage image(Memory(), base);
    const std::optional<PeHeaders> headers = read_pe_headers(image);
    if (!headers) return false;
    const ModuleLayout layout = module_layout(*headers, base);
    out = TStackModule{};
    out.ModuleHandle = base;
    out.FilePath = path;
    out.FileName = std::string(file_name_of(path));
    out.CodeBegin = layout.CodeStart;
    out.CodeEnd = layout.CodeEnd;
    out.DataBegin = layout.DataStart;
    out.DataEnd = layout.DataEnd;
    out.ImageSize = headers->image_size;
    out.EntryPoint = headers->entry_point ? base + headers->entry_point : 0;
    out.VerifiedInTrace = caches_.CurrentTrace();
    return true;
}

std::int32_t TraceContext::RegisterModule(std::uint32_t allocation_base) {
    if (allocation_base == 0 || no_module_.count(allocation_base)) return -1;
    const std::int32_t cached = caches_.FindModule(allocation_base);
    if (cached >= 0 && caches_.Modules()[cached].VerifiedInTrace == caches_.CurrentTrace()) return cached;
    const std::string path = process_.ModuleFileName(allocation_base);
    TStackModule module;
    if (path.empty() || !ReadModule(allocation_base, path, module)) {
        no_module_.insert(allocation_base);
        return -1;
    }
    if (cached >= 0) {
        TStackModule& known = caches_.Modules()[cached];
        // An unchanged module keeps its debug information: looking for it again costs file
        // queries, and for a module without any a whole search, in every trace.
        if (known.FilePath == path && known.ImageSize == module.ImageSize && known.EntryPoint == module.EntryPoint) {
            known.VerifiedInTrace = caches_.CurrentTrace();
            return cached;
        }
    }
    std::shared_ptr<const TMapFile> debug = process_.DebugInfo(allocation_base, path);
    if (debug && debug->Loaded) module.DebugInfo = std::move(debug);
    if (cached < 0) return caches_.AddModule(std::move(module));
    caches_.ReplaceModule(cached, std::move(module));
    return cached;
}

std::int32_t TraceContext::ModuleAt(std::uint32_t address) {
    StackRegionInfo region;
    if (!process_.Query(address, region) || region.state != kMemCommit) return -1;
    const std::int32_t module = RegisterModule(region.allocation_base);
    return module >= 0 && Module(module).InImage(address) ? module : -1;
}

const std::vector<TStackExport>& TraceContext::Exports(std::int32_t module) {
    TStackModule& m = caches_.Modules()[module];
    if (!m.ExportsRead) {
        m.ExportsRead = true;
        const MappedModuleImage image(Memory(), m.ModuleHandle);
        if (const std::optional<PeHeaders> headers = read_pe_headers(image)) {
            for (PeExport& e : read_pe_exports(image, *headers))
                m.Exports.push_back({m.ModuleHandle + e.rva, std::move(e.name)});
            std::stable_sort(m.Exports.begin(), m.Exports.end(),
                             [](const TStackExport& a, const TStackExport& b) { return a.Address < b.Address; });
        }
    }
    return m.Exports;
}

const TStackExport* TraceContext::ExportAtOrBelow(std::int32_t module, std::uint32_t address) {
    const std::vector<TStackExport>& exports = Exports(module);
    auto it = std::upper_bound(exports.begin(), exports.end(), address,
                               [](std::uint32_t a, const TStackExport& e) { return a < e.Address; });
    return it == exports.begin() ? nullptr : &*std::prev(it);
}

const RuntimeRoutines& TraceContext::Routines() {
    if (!caches_.RoutinesKnown) {
        caches_.RoutinesKnown = true;
        caches_.Routines = {};
        const std::int32_t main = RegisterModule(process_.MainModule());
        if (main >= 0 && Module(main).HasDebugInfo()) caches_.Routines = runtime_routines(*Module(main).DebugInfo);
    }
    return caches_.Routines;
}

std::int32_t TraceContext::RegisterFunction(std::uint32_t entry, const std::string& name, std::int32_t module,
                                            bool approved) {
    std::int32_t index = caches_.FindFunction(entry);
    if (index < 0) {
        TStackFunction f;
        f.ModuleIndex = module;
        f.Name = name;
        f.Info = analyse_function(entry, Memory(), &symbols_, Routines());
        for (const CallInfo& c : f.Info.Calls) f.CallsByReturn.try_emplace(c.AfterAddress, CallSite{c.CodeAddress, true, c.Target});
        for (const IndirectCallInfo& c : f.Info.IndirectCalls) {
            std::uint32_t slot_target = 0;
            if (!c.IsJump) {
                f.CallsByReturn.try_emplace(c.AfterAddress, CallSite{c.CodeAddress, false, 0});
                continue;
            }
            switch (jump_kind(Memory(), c.CodeAddress, slot_target)) {
            case JumpKind::kCase: break;
            case JumpKind::kSlot: f.TailTargets.push_back(slot_target); break;
            case JumpKind::kUnknown: f.UnknownTransfers = true; break;
            }
        }
        index = caches_.AddFunction(std::move(f));
    } else if (Function(index).Name.empty() && !name.empty()) {
        Function(index).Name = name;
    }
    if (approved) caches_.Approve(index);
    return index;
}

bool TraceContext::SymbolStartingAt(std::uint32_t address, std::string& stored, std::string& display) {
    const std::int32_t module = ModuleAt(address);
    if (module < 0) return false;
    const TStackModule& m = Module(module);
    if (m.HasDebugInfo()) {
        const TMfPublic p = m.DebugInfo->FindPublic(address);
        if (!p.Used || p.Address != address) return false;
        stored = p.Name;
        display = Unmangle(p.Name).name;
        return true;
    }
    const TStackExport* e = ExportAtOrBelow(module, address);
    if (!e || e->Address != address) return false;
    stored = display = e->Name;
    return true;
}

std::string TraceContext::FunctionNameAt(std::uint32_t address) {
    const std::int32_t module = ModuleAt(address);
    if (module < 0) return {};
    const TStackModule& m = Module(module);
    if (m.HasDebugInfo()) return m.DebugInfo->GetFunctionName(address);
    const TStackExport* e = ExportAtOrBelow(module, address);
    return e ? e->Name : std::string();
}

bool TraceContext::Symbols::module_at(std::uint32_t address, ModuleInfo& out) const {
    const std::int32_t index = context_.ModuleAt(address);
    if (index < 0) return false;
    const TStackModule& m = context_.Module(index);
    out = {};
    out.image_begin = m.ModuleHandle;
    out.image_end = m.ModuleHandle + m.ImageSize;
    // A function's code may also lie in the data range of a 32-bit image.
    out.code_begin = m.CodeBegin;
    out.code_end = m.CodeEnd;
    if (m.DataEnd > m.DataBegin) {
        out.code_begin = std::min(out.code_begin, m.DataBegin);
        out.code_end = std::max(out.code_end, m.DataEnd);
    }
    out.file_name = m.FileName;
    out.main_module = m.ModuleHandle == context_.Process().MainModule();
    return true;
}

bool TraceContext::Symbols::symbol_at(std::uint32_t address, SymbolInfo& out) const {
    const std::int32_t index = context_.ModuleAt(address);
    if (index < 0) return false;
    const TStackModule& m = context_.Module(index);
    if (m.HasDebugInfo()) {
        MapFileInfos infos;
        if (!m.DebugInfo->GetMapFileInfos(address, infos) || infos.PublicName.empty()) return false;
        out = SymbolInfo{infos.PublicName, infos.PublicAddress, infos.UnitName, infos.Line};
        return true;
    }
    const TStackExport* e = context_.ExportAtOrBelow(index, address);
    if (!e) return false;
    out = SymbolInfo{e->Name, e->Address, {}, 0};
    return true;
}

}  // namespace roadsum
