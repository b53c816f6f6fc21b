// A process made of memory regions for the stack tracer: modules mapped from real image files
// as the loader would map them (relocated to their base, imports bound to the modules mapped
// beside them), stacks written as needed, and the memory query, module names and debug
// information that the tracer asks for.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "crash/stack/trace_process.h"

namespace roadsum::testing {

class FakeAddressSpace final : public TraceProcess, private MemoryReader {
public:
    static constexpr std::uint32_t kReadWrite = 0x04, kExecuteRead = 0x20, kNoAccess = 0x01;

    // A committed region [base, base + bytes.size()) of one reservation.
    void Map(std::uint32_t base, std::vector<std::uint8_t> bytes, std::uint32_t protect = kReadWrite);
    // The image file mapped at base (0: its preferred base), with its file path and debug
    // information (none: the module has none). Returns the base, 0 when the file is no image.
    std::uint32_t MapImage(const std::string& file, std::uint32_t base, const std::string& path,
                           std::shared_ptr<const TMapFile> debug = nullptr);
    void SetDebugInfo(std::uint32_t module, std::shared_ptr<const TMapFile> debug);
    void SetModulePath(std::uint32_t module, const std::string& path);
    void SetMainModule(std::uint32_t module) { main_ = module; }
    void SetRaiseAddress(std::uint32_t address) { raise_ = address; }
    void Unmap(std::uint32_t base);

    void Poke(std::uint32_t address, const std::vector<std::uint8_t>& bytes);
    void PokeDword(std::uint32_t address, std::uint32_t value);

    // TraceProcess.
    const MemoryReader& Memory() const override { return *this; }
    bool Query(std::uint32_t address, StackRegionInfo& out) const override;
    std::string ModuleFileName(std::uint32_t module) const override;
    std::shared_ptr<const TMapFile> DebugInfo(std::uint32_t module, const std::string& path) const override;
    std::uint32_t MainModule() const override { return main_; }
    std::uint32_t CurrentRaiseAddress() const override { return raise_; }

    // How often the tracer read memory, for tests of its caches.
    std::size_t Reads() const { return reads_; }
    // How often the tracer asked for a module's debug information.
    std::size_t DebugInfoLookups() const { return debug_lookups_; }

private:
    struct Region {
        std::vector<std::uint8_t> bytes;
        std::uint32_t protect = kReadWrite;
    };
    struct ModuleRecord {
        std::string path;
        std::shared_ptr<const TMapFile> debug;
    };

    bool try_read(std::uint32_t address, void* buffer, std::uint32_t count) const override;
    bool readable_range(std::uint32_t address, std::uint32_t& begin, std::uint32_t& end) const override;
    const Region* RegionAt(std::uint32_t address, std::uint32_t& base) const;
    void BindImports(std::uint32_t base);

    std::map<std::uint32_t, Region> regions_;
    std::map<std::uint32_t, ModuleRecord> modules_;
    std::uint32_t main_ = 0, raise_ = 0;
    mutable std::size_t reads_ = 0, debug_lookups_ = 0;
};

}  // namespace roadsum::testing
