// Arbitrary bytes as code: the decoder at every offset, the function analyser and the listing
// must neither crash nor hang, and what they report must be consistent.
//
// Input: four parameter bytes (crash offset, line limit, flags, routine offset), then the code,
// placed at 00401000 in a module whose image holds nothing else.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "crash/x86/decoder.h"
#include "crash/x86/format.h"
#include "crash/x86/function_analyser.h"
#include "crash/x86/function_listing.h"

namespace {

constexpr std::uint32_t kBase = 0x00401000;

class Region final : public roadsum::MemoryReader {
public:
    Region(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    bool try_read(std::uint32_t address, void* buffer, std::uint32_t count) const override {
        if (address < kBase || address - kBase > size_ || count > size_ - (address - kBase)) return false;
        std::memcpy(buffer, data_ + (address - kBase), count);
        return true;
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
};

class OneModule final : public roadsum::SymbolLookup {
public:
    explicit OneModule(std::uint32_t size) : size_(size) {}
    bool module_at(std::uint32_t address, roadsum::ModuleInfo& out) const override {
        if (address < 0x00400000 || address >= kBase + size_ + 0x1000) return false;
        out = {0x00400000, kBase + size_ + 0x1000, kBase, kBase + size_, "fuzz.exe", true};
        return true;
    }
    bool symbol_at(std::uint32_t address, roadsum::SymbolInfo& out) const override {
        if (address != kBase) return false;
        out = {"Entry", kBase, "Unit", 1};
        return true;
    }

private:
    std::uint32_t size_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 5 || size > 0x10000) return 0;
    const std::uint8_t crash = data[0], limit = data[1], flags = data[2], routine = data[3];
    const std::uint8_t* code = data + 4;
    const std::size_t n = size - 4;

    std::string line;
    for (std::size_t i = 0; i < n; ++i) {
        roadsum::x86::Instruction ins;
        if (!roadsum::x86::decode(code + i, n - i, kBase + static_cast<std::uint32_t>(i), ins)) continue;
        if (ins.length < 1 || ins.length > 15 || ins.length > n - i || ins.end != ins.start + ins.length) std::abort();
        line.clear();
        roadsum::x86::format_instruction(ins, line);
        if (line.size() < 12 || line.size() > 200) std::abort();
    }

    const Region memory(code, n);
    const OneModule symbols(static_cast<std::uint32_t>(n));
    roadsum::RuntimeRoutines routines;
    if (flags & 2) routines.HandleOnException = kBase + routine;
    if (flags & 4) routines.HandleFinally = kBase + routine;
    const roadsum::TFunctionInfo info = roadsum::analyse_function(kBase, memory, &symbols, routines);
    std::uint32_t previous_end = 0;
    for (const roadsum::CodeArea& a : info.Areas) {
        if (a.End < a.Start || (previous_end && a.Start <= previous_end)) std::abort();
        previous_end = a.End;
    }
    if (info.Valid != (info.ErrorCode == 0)) std::abort();

    roadsum::ListingOptions options;
    options.crash_address = kBase + crash;
    options.limit = limit % 8;
    options.format = flags & 1;
    if (flags & 8) options.line_number = [](std::uint32_t a) { return static_cast<int>(a % 97); };
    const std::string text = roadsum::compose_listing(info, memory, &symbols, routines, options);
    if (!info.Areas.empty() && text.empty()) std::abort();
    if (text.size() >= 2 && text.compare(text.size() - 2, 2, "\r\n") == 0) std::abort();
    return 0;
}
