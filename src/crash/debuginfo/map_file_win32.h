// Debug information of the modules of this process: the loaded image read in place, the
// files through the system, and one cache for the whole process.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "crash/debuginfo/map_file_cache.h"
#include "crash/process/module_image.h"
#include "crash/process/tda_try_read.h"

namespace roadsum {

// A module loaded into this process, read where it is mapped; reads outside its image or of
// pages that are gone fail.
class LoadedModuleImage final : public ModuleImage {
public:
    explicit LoadedModuleImage(std::uintptr_t module);
    std::uint32_t base() const override { return base_; }
    bool read(std::uint32_t rva, void* buffer, std::uint32_t count) const override;

private:
    std::uint32_t base_ = 0;
    std::uint32_t size_ = 0;  // of the image; 0 until the headers were read
    TDATryRead reader_;
};

class Win32DebugFiles final : public DebugFileAccess {
public:
    std::optional<std::string> read(const std::string& path, std::uint64_t offset, std::uint32_t count) const override;
    std::optional<std::string> read_all(const std::string& path) const override;
    std::optional<DosStamp> write_time(const std::string& path) const override;
};

// The module's full file path; empty when the handle is no module.
std::string module_file_path(std::uintptr_t module);

// How modules of this process read "MinDebugInfo" from their settings resource; the
// reporter's start-up sets it.
void SetProcessMinDebugInfoReader(MinDebugInfoReader reader);

// The debug information of a module of this process, from the process-wide cache.
std::shared_ptr<const TMapFile> MapFileOfModule(std::uintptr_t module);
MapFileCache& ProcessMapFileCache();

}  // namespace roadsum
