// Hand-made code modules for the stack tracer: functions written instruction by instruction at
// chosen addresses, with their debug information (publics, units, lines) made beside them.
// Used where a test needs exact addresses or more functions than a compiled sample has.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "crash/debuginfo/map_file.h"
#include "fake_address_space.h"

namespace roadsum::testing {

class SyntheticModule {
public:
    SyntheticModule(std::string path, std::uint32_t base, std::uint32_t code_size);

    std::uint32_t CodeStart() const { return base_ + 0x1000; }
    std::uint32_t Here() const { return here_; }

    // A function at at (0: where the last one ended), under its stored public name, in unit.
    std::uint32_t BeginFunction(const std::string& stored_name, const std::string& unit, std::uint32_t at = 0);
    // Bytes of code on a source line (0: no line record).
    void Emit(const std::vector<std::uint8_t>& bytes, int line = 0);
    void Prologue(int line = 0) { Emit({0x55, 0x89, 0xE5}, line); }           // push ebp; mov ebp, esp
    void Epilogue(int line = 0) { Emit({0x5D, 0xC3}, line); }                 // pop ebp; ret
    // A direct call (E8) to target; the result is its return address.
    std::uint32_t Call(std::uint32_t target, int line = 0);
    // call eax; the result is its return address.
    std::uint32_t CallIndirect(int line = 0);

    // The identification of minimal debug information that the module's data carries.
    void SetMinDebugInfo(std::string identification) { min_debug_info_ = std::move(identification); }

    // Maps the image with its code; with_debug_info gives the module its debug information.
    std::uint32_t MapInto(FakeAddressSpace& space, bool with_debug_info = true) const;
    std::shared_ptr<const TMapFile> DebugInfo() const;

private:
    std::string path_;
    std::uint32_t base_, code_size_;
    std::uint32_t here_;
    std::vector<std::uint8_t> code_;
    DebugTables tables_;
    std::string min_debug_info_;
};

// count functions at at, 16 bytes apart, each calling the next ("@Chain@F0$qqrv" calls F1 and
// so on), each with its own lines in unit Chain.
struct CallChain {
    std::vector<std::uint32_t> entries;
    std::vector<std::uint32_t> returns;  // returns[k]: in F(k), after its call of F(k+1)
};
CallChain BuildCallChain(SyntheticModule& module, std::size_t count, std::uint32_t at);

}  // namespace roadsum::testing
