// In-memory stand-ins for the process: byte regions at addresses, and modules with names.
#pragma once

#include <cstdint>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "crash/process/memory_reader.h"
#include "crash/x86/symbol_lookup.h"

namespace roadsum::testing {

class FakeMemory final : public MemoryReader {
public:
    void add(std::uint32_t address, std::vector<std::uint8_t> bytes) { regions_[address] = std::move(bytes); }
    // Overwrites bytes inside an existing region.
    void poke(std::uint32_t address, std::vector<std::uint8_t> bytes) {
        for (std::size_t i = 0; i < bytes.size(); ++i) *byte_at(address + static_cast<std::uint32_t>(i)) = bytes[i];
    }
    void poke_dword(std::uint32_t address, std::uint32_t v) {
        poke(address, {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v >> 16),
                       static_cast<std::uint8_t>(v >> 24)});
    }
    void poke_text(std::uint32_t address, const std::string& text) {
        poke(address, std::vector<std::uint8_t>(text.begin(), text.end()));
    }

    bool try_read(std::uint32_t address, void* buffer, std::uint32_t count) const override {
        auto* out = static_cast<std::uint8_t*>(buffer);
        for (std::uint32_t i = 0; i < count; ++i) {
            const std::uint8_t* b = const_cast<FakeMemory*>(this)->byte_at(address + i);
            if (!b || address + i < address) return false;
            out[i] = *b;
        }
        return true;
    }
    bool readable_range(std::uint32_t address, std::uint32_t& begin, std::uint32_t& end) const override {
        auto it = regions_.upper_bound(address);
        if (it == regions_.begin()) return false;
        --it;
        if (address - it->first >= it->second.size()) return false;
        begin = it->first;
        end = it->first + static_cast<std::uint32_t>(it->second.size());
        return true;
    }

private:
    std::uint8_t* byte_at(std::uint32_t address) {
        auto it = regions_.upper_bound(address);
        if (it == regions_.begin()) return nullptr;
        --it;
        const std::uint32_t off = address - it->first;
        return off < it->second.size() ? &it->second[off] : nullptr;
    }
    std::map<std::uint32_t, std::vector<std::uint8_t>> regions_;
};

class FakeSymbols final : public SymbolLookup {
public:
    void add_module(ModuleInfo m) { modules_.push_back(std::move(m)); }
    void add_name(std::uint32_t address, std::string name) { names_[address] = std::move(name); }

    bool module_at(std::uint32_t address, ModuleInfo& out) const override {
        for (const ModuleInfo& m : modules_)
            if (address >= m.image_begin && address < m.image_end) {
                out = m;
                return true;
            }
        return false;
    }
    bool symbol_at(std::uint32_t address, SymbolInfo& out) const override {
        auto it = names_.upper_bound(address);
        if (it == names_.begin()) return false;
        --it;
        ModuleInfo here, there;
        if (module_at(address, here) != module_at(it->first, there) || here.image_begin != there.image_begin) return false;
        out = SymbolInfo{it->second, it->first, {}, 0};
        return true;
    }
    // Names as the debug information gives them: a cold part has its function's name.
    bool debug_information = false;
    bool is_cold_part(std::string_view function, std::string_view name) const override {
        return debug_information ? function == name : has_cold_suffix(function, name);
    }
    // Whether the names tell where each function ends (a symbol table), or only name some.
    bool bounded = false;
    std::uint32_t next_function_after(std::uint32_t address) const override {
        if (!bounded) return 0;
        auto it = names_.upper_bound(address);
        return it != names_.end() ? it->first : 0;
    }

private:
    std::vector<ModuleInfo> modules_;
    std::map<std::uint32_t, std::string> names_;
};

}  // namespace roadsum::testing
