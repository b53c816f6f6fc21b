// A 32-bit PE image file read into memory: headers, sections, exports, imports and the COFF
// symbol table, with reads by virtual address. Bad files give an error text, never a crash.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "crash/diag/memory_reader.h"
#include "crash/diag/symbol_lookup.h"

namespace roadsum {

struct PeSection {
    std::string name;
    std::uint32_t virtual_address = 0;  // relative to the image base
    std::uint32_t virtual_size = 0;
    std::uint32_t raw_offset = 0;
    std::uint32_t raw_size = 0;
    std::uint32_t characteristics = 0;
    bool is_code() const { return (characteristics & 0x20) != 0; }
};

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
    static std::optional<PeImage> parse(std::vector<std::uint8_t> file, std::string& error);

    std::uint32_t image_base() const { return image_base_; }
    std::uint32_t image_size() const { return image_size_; }
    std::uint32_t entry_point() const { return entry_point_; }
    const std::vector<PeSection>& sections() const { return sections_; }
    // Exports, COFF symbols and import slots ("Name (module.dll)"), sorted by address.
    const std::vector<PeName>& names() const { return names_; }
    // The range a function's code may lie in: the code sections widened by the data range.
    void code_range(std::uint32_t& begin, std::uint32_t& end) const;

    // Bytes at a virtual address as the loader would map them (zeros past a section's raw data).
    bool read(std::uint32_t address, void* buffer, std::uint32_t count) const;

private:
    bool read_rva(std::uint32_t rva, void* buffer, std::uint32_t count) const;
    std::string read_string(std::uint32_t rva) const;
    void read_exports(std::uint32_t rva, std::uint32_t size);
    void read_imports(std::uint32_t rva);
    void read_coff_symbols(std::uint32_t offset, std::uint32_t count);

    std::vector<std::uint8_t> file_;
    std::uint32_t image_base_ = 0, image_size_ = 0, entry_point_ = 0, headers_size_ = 0;
    std::uint32_t base_of_code_ = 0, size_of_code_ = 0, base_of_data_ = 0, size_of_data_ = 0;
    std::vector<PeSection> sections_;
    std::vector<PeName> names_;
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

private:
    const PeImage& image_;
    std::string file_name_;
};

// A C++ symbol name made readable; other names unchanged (without the leading underscore of
// the 32-bit C naming).
std::string readable_symbol_name(const std::string& raw);

}  // namespace roadsum
