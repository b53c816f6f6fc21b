// The cross-compiled stack sample (stack_sample.exe with its text map, and the library it
// imports, which has no debug information) mapped into a fake address space, with the calls
// of its functions found by the function analysis.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "crash/debuginfo/map_file.h"
#include "fake_address_space.h"

namespace roadsum::testing {

struct SampleOptions {
    std::uint32_t exe_base = 0;  // 0: where the image asks to be
    std::uint32_t dll_base = 0x10000000;
    bool exe_debug_info = true;
};

class SampleProcess {
public:
    explicit SampleProcess(const SampleOptions& options = {});

    FakeAddressSpace space;
    std::uint32_t exe = 0, dll = 0;
    std::shared_ptr<const TMapFile> exe_debug;  // loaded from the text map beside the program

    // The entry of a function of the program by its display name ("TSample.Middle").
    std::uint32_t Function(const std::string& name) const;
    // An export of the library.
    std::uint32_t Export(const std::string& name) const;
    // The return address of the first call in the function at caller to callee (0: the first
    // call whose target is not constant).
    std::uint32_t ReturnAddress(std::uint32_t caller, std::uint32_t callee) const;
    // The address of that call instruction.
    std::uint32_t CallAddress(std::uint32_t caller, std::uint32_t callee) const;
    // The line of an address in the program's debug information.
    std::int32_t LineOf(std::uint32_t address) const;
};

// The image files of the sample, read once.
const std::string& SampleExeFile();
const std::string& SampleDllFile();
std::string SampleExePath();

}  // namespace roadsum::testing
