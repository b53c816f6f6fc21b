// A module's image as the loader maps it: the load address and reads at offsets from it.
// A loaded module, an executable file read from disk and test data all answer the same way.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace roadsum {

class ModuleImage {
public:
    virtual ~ModuleImage() = default;
    virtual std::uint32_t base() const = 0;
    // True only when all count bytes at base + rva were read.
    virtual bool read(std::uint32_t rva, void* buffer, std::uint32_t count) const = 0;
};

// An image file's bytes, mapped as the loader would map them: headers at 0, each section at
// its virtual address, zeros past a section's raw data.
class PeFileImage final : public ModuleImage {
public:
    // base 0: the image base that the file's header asks for.
    explicit PeFileImage(std::string file, std::uint32_t base = 0);

    bool valid() const { return valid_; }
    std::uint32_t base() const override { return base_; }
    std::uint32_t preferred_base() const { return preferred_base_; }
    bool read(std::uint32_t rva, void* buffer, std::uint32_t count) const override;
    const std::string& file() const { return file_; }

private:
    struct Section {
        std::uint32_t rva = 0, virtual_size = 0, raw_offset = 0, raw_size = 0;
    };
    std::string file_;
    std::vector<Section> sections_;
    std::uint32_t headers_size_ = 0, base_ = 0, preferred_base_ = 0;
    bool valid_ = false;
};

}  // namespace roadsum
