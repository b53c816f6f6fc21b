#include "synthetic_module.h"

#include "crash/common/little_endian.h"
#include "test_pe_builder.h"

namespace roadsum::testing {

SyntheticModule::SyntheticModule(std::string path, std::uint32_t base, std::uint32_t code_size)
    : path_(std::move(path)), base_(base), code_size_(code_size), here_(base + TestPe::kCodeRva),
      code_(code_size, 0xCC) {}

std::uint32_t SyntheticModule::BeginFunction(const std::string& stored_name, const std::string& unit, std::uint32_t at) {
    if (at) here_ = at;
    tables_.Publics.push_back({true, true, stored_name, here_});
    if (tables_.Segments.empty() || tables_.Segments.back().Name != unit ||
        tables_.Segments.back().Start + tables_.Segments.back().Length > here_)
        tables_.Segments.push_back({true, true, here_, 0, unit, 0});
    return here_;
}

void SyntheticModule::Emit(const std::vector<std::uint8_t>& bytes, int line) {
    if (line > 0) tables_.Lines.push_back({line, here_});
    for (std::uint8_t b : bytes) code_.at(here_++ - CodeStart()) = b;
    if (!tables_.Segments.empty()) {
        TMfSegment& s = tables_.Segments.back();
        s.Length = here_ - s.Start;
    }
}

std::uint32_t SyntheticModule::Call(std::uint32_t target, int line) {
    std::vector<std::uint8_t> call{0xE8, 0, 0, 0, 0};
    put_le32(&call[1], target - (here_ + 5));
    Emit(call, line);
    return here_;
}

std::uint32_t SyntheticModule::CallIndirect(int line) {
    Emit({0xFF, 0xD0}, line);
    return here_;
}

std::shared_ptr<const TMapFile> SyntheticModule::DebugInfo() const {
    auto map = std::make_shared<TMapFile>();
    map->Loaded = true;
    map->ModulePath = map->ReportedPath = path_;
    map->ModuleHandle = base_;
    map->CodeStart = CodeStart();
    map->CodeEnd = CodeStart() + code_size_;
    map->MinDebugInfo = min_debug_info_;
    map->Assign(tables_);
    return map;
}

std::uint32_t SyntheticModule::MapInto(FakeAddressSpace& space, bool with_debug_info) const {
    TestPe pe;
    pe.image_base = base_;
    pe.code_size = code_size_;
    const std::uint32_t module = space.MapImage(pe.build(), base_, path_, with_debug_info ? DebugInfo() : nullptr);
    space.Poke(CodeStart(), code_);
    return module;
}

CallChain BuildCallChain(SyntheticModule& module, std::size_t count, std::uint32_t at) {
    CallChain chain;
    for (std::size_t k = 0; k < count; ++k) chain.entries.push_back(at + 16 * static_cast<std::uint32_t>(k));
    for (std::size_t k = 0; k < count; ++k) {
        const int line = 10 * static_cast<int>(k) + 1;
        module.BeginFunction("@Chain@F" + std::to_string(k) + "$qqrv", "Chain", chain.entries[k]);
        module.Prologue(line);
        if (k + 1 < count)
            chain.returns.push_back(module.Call(chain.entries[k + 1], line + 1));
        else
            module.Emit({0x8B, 0x00, 0x90, 0x90, 0x90}, line + 1);  // mov eax, [eax]: where the last one faults
        module.Epilogue(line + 2);
    }
    return chain;
}

}  // namespace roadsum::testing
