// A 32-bit PE image file read into memory: headers, sections, exports, imports and the COFF
// symbol table, with reads by virtual address. Bad files give an error text, never a crash.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "crash/process/memory_reader.h"
#include "crash/process/pe_exports.h"
#include "crash/process/pe_headers.h"
#include "crash/x86/symbol_lookup.h"

namespace roadsum {

struct PeName {
    std::uint32_t address = 0;  // virtual address
    std::string name;
    bool function = false;      // a COFF function symbol or an export
    bool import = false;        // an import slot: "Name (module.dll)"

    // Which of several names at one address to show: functions, then imports, then the rest.
    int rank() const { return function ? 2 : import ? 1 : 0; }
};

class PeImage {
public:
    // Parses the file's bytes; nullopt with error set when it is not a 32-bit PE image.
    static std::optional<PeImage> parse(std::string file, std::string& error);
    // Reads and parses the file at path. A stripped program's COFF symbols come from the side
    // file that its .gnu_debuglink names, beside it, as gdb finds it; when that file is
    // missing, not an image or not the one the link's CRC-32 names, the image has no COFF
    // names and warning says why.
    static std::optional<PeImage> load(const std::string& path, std::string& error, std::string& warning);

    std::uint32_t image_base() const { return headers().image_base; }
    std::uint32_t image_size() const { return headers().image_size; }
    std::uint32_t entry_point() const { return headers().entry_point; }
    const std::vector<PeSectionHeader>& sections() const { return headers().sections; }
    // Exports, COFF symbols and import slots ("Name (module.dll)"), sorted by address.
    const std::vector<PeName>& names() const { return names_; }
    // The range a function's code may lie in: the code sections widened by the data range.
    void code_range(std::uint32_t& begin, std::uint32_t& end) const;

    // Bytes at a virtual address as the loader would map them (zeros past a section's raw data).
    bool read(std::uint32_t address, void* buffer, std::uint32_t count) const;

private:
    explicit PeImage(std::string file) : mapped_(std::move(file)) {}
    const PeHeaders& headers() const { return *mapped_.headers(); }
    std::string read_string(std::uint32_t rva) const;
    void read_exports();
    void read_imports(std::uint32_t rva);
    void read_coff_symbols(std::string_view file, const PeHeaders& h);
    std::string read_side_file_symbols(const std::string& path);
    void sort_names();

    PeFileImage mapped_;
    std::vector<PeName> names_;
    std::uint32_t code_begin_ = 0, code_end_ = 0;
};

// Memory of the image as mapped at its preferred base.
class PeMemoryReader final : public MemoryReader {
public:
    explicit PeMemoryReader(const PeImage& image) : image_(image) {}
    bool try_read(std::uint32_t address, void* buffer, std::uint32_t count) const override {
        return image_.read(address, buffer, count);
    }

private:
    const PeImage& image_;
};

// Names from the image's exports, COFF symbols and imports; the image is the main module.
class PeSymbols final : public SymbolLookup {
public:
    PeSymbols(const PeImage& image, std::string file_name) : image_(image), file_name_(std::move(file_name)) {}
    bool module_at(std::uint32_t address, ModuleInfo& out) const override;
    bool symbol_at(std::uint32_t address, SymbolInfo& out) const override;
    std::uint32_t next_function_after(std::uint32_t address) const override;

private:
    const PeImage& image_;
    std::string file_name_;
};

// A C++ symbol name made readable; other names unchanged (without the leading underscore of
// the 32-bit C naming).
std::string readable_symbol_name(const std::string& raw);

}  // namespace roadsum
