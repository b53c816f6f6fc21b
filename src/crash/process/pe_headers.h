// The parts of a 32-bit PE image that the debug information needs: the optional header's
// code and data fields, the section table, the resource directory and the debug directory.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "crash/process/module_image.h"
#include "crash/process/module_layout.h"

namespace roadsum {

struct PeSectionHeader {
    std::string name;  // as stored: 8 characters at most ("/4" for a long name)
    std::uint32_t virtual_address = 0, virtual_size = 0;
    std::uint32_t raw_offset = 0, raw_size = 0;
    std::uint32_t characteristics = 0;
    bool is_code() const { return (characteristics & 0x20) != 0; }
};

struct PeDataDirectory {
    std::uint32_t rva = 0, size = 0;
};

struct PeHeaders {
    std::uint32_t image_base = 0, image_size = 0, headers_size = 0, entry_point = 0, checksum = 0;
    std::uint32_t checksum_offset = 0;  // file offset of the checksum field
    std::uint32_t base_of_code = 0, size_of_code = 0;
    std::uint32_t base_of_data = 0, size_of_initialized_data = 0, size_of_uninitialized_data = 0;
    std::uint32_t symbol_table_offset = 0, symbol_count = 0;  // COFF symbols, in the file
    std::vector<PeDataDirectory> directories;
    std::vector<PeSectionHeader> sections;

    PeDataDirectory directory(std::size_t index) const {
        return index < directories.size() ? directories[index] : PeDataDirectory{};
    }
};

inline constexpr std::size_t kResourceDirectory = 2;
inline constexpr std::size_t kDebugDirectory = 6;

// The headers of a 32-bit x86 image, or nullopt when they are not there or not sane.
std::optional<PeHeaders> read_pe_headers(const ModuleImage& image);

// Code and data ranges and the sections at the image's load address: the code range is the
// first section when it holds code (extended over a second code section), else the optional
// header's base and size of code; the data range the base of data over the initialised and
// uninitialised data.
ModuleLayout module_layout(const PeHeaders& headers, std::uint32_t base);

// An image file's bytes, mapped as the loader would map them: headers at 0, each section at
// its virtual address, zeros past a section's raw data.
class PeFileImage final : public ModuleImage {
public:
    // base 0: the image base that the file's header asks for.
    explicit PeFileImage(std::string file, std::uint32_t base = 0);

    bool valid() const { return headers_.has_value(); }
    // The headers read from the file; set exactly when the image is valid.
    const std::optional<PeHeaders>& headers() const { return headers_; }
    std::uint32_t base() const override { return base_; }
    std::uint32_t preferred_base() const { return valid() ? headers_->image_base : 0; }
    bool read(std::uint32_t rva, void* buffer, std::uint32_t count) const override;
    const std::string& file() const { return file_; }

private:
    std::string file_;
    std::optional<PeHeaders> headers_;
    std::uint32_t headers_size_ = 0, base_ = 0;
};

// A resource type or name: a text (compared ignoring case) or a number.
using ResourceId = std::variant<std::string_view, std::uint16_t>;
inline constexpr std::uint16_t kRtRcdata = 10;

// The data of the first language of a resource, or nullopt.
std::optional<std::string> find_resource(const ModuleImage& image, const PeHeaders& headers, ResourceId type,
                                         ResourceId name);

struct PeDebugEntry {
    std::uint32_t type = 0, size = 0, rva = 0, file_offset = 0;
};
std::vector<PeDebugEntry> read_debug_directory(const ModuleImage& image, const PeHeaders& headers);

// The header checksum of an image file: the 16-bit one's-complement sum of the file (the
// checksum field counted as 0) plus the file length.
std::uint32_t pe_file_checksum(std::string_view file, std::uint32_t checksum_offset);

}  // namespace roadsum
