// Names for addresses: which module an address lies in and which public symbol, unit and source
// line it belongs to. The listing and the analyser ask through this interface; the debug
// information of the running program, an image file's exports or a test fake answer.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

namespace roadsum {

struct ModuleInfo {
    std::uint32_t image_begin = 0;  // [image_begin, image_end): the mapped image
    std::uint32_t image_end = 0;
    std::uint32_t code_begin = 0;   // [code_begin, code_end): where a function's code may lie
    std::uint32_t code_end = 0;
    std::string file_name;          // without path
    bool main_module = false;       // the executable itself
};

struct SymbolInfo {
    std::string public_name;           // public or export name
    std::uint32_t public_address = 0;  // where that symbol starts
    std::string unit;                  // source unit, may be empty
    int line = 0;                      // source line, 0 when unknown
};

class SymbolLookup {
public:
    virtual ~SymbolLookup() = default;
    virtual bool module_at(std::uint32_t address, ModuleInfo& out) const = 0;
    // The public symbol at or before address that contains it.
    virtual bool symbol_at(std::uint32_t address, SymbolInfo& out) const = 0;
    // Where the next function above address starts; 0 when none is known. Code that runs on
    // without a jump ends there.
    virtual std::uint32_t next_function_after(std::uint32_t /*address*/) const { return 0; }
    // Whether the symbol called name is the cold part of the function called function: code
    // that the compiler placed apart. Its own symbols say so with a clone suffix (".cold",
    // ".cold.N", demangled " [clone .cold]").
    virtual bool is_cold_part(std::string_view function, std::string_view name) const {
        return has_cold_suffix(function, name);
    }

    static bool has_cold_suffix(std::string_view function, std::string_view name);
};

// The name of a public symbol that starts exactly at address; false when none does.
inline bool public_name_at(const SymbolLookup* symbols, std::uint32_t address, std::string& name) {
    SymbolInfo s;
    if (!symbols || !symbols->symbol_at(address, s) || s.public_address != address || s.public_name.empty())
        return false;
    name = std::move(s.public_name);
    return true;
}

}  // namespace roadsum
