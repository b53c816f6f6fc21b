// The decoder on real compiled code: the code sections of the disassembler's own sample
// programs (compiled by the cross compiler at two optimisation levels, about 1.7 MB of code).
// Reports bytes and instructions per second.
#include <benchmark/benchmark.h>

#include <string>

#include "code_sections.h"
#include "crash/x86/decoder.h"
#include "crash/x86/format.h"

namespace {

using roadsum::bench::CodeSections;

const CodeSections& code() {
    static const CodeSections c = roadsum::bench::read_code_sections({ROADSUM_DISASM_SAMPLE_O2, ROADSUM_DISASM_SAMPLE_O0});
    return c;
}

template <bool Format>
void decode_all(benchmark::State& state) {
    const CodeSections& c = code();
    if (c.bytes == 0) {
        state.SkipWithError("sample programs not built");
        return;
    }
    std::string line;
    line.reserve(256);
    std::int64_t instructions = 0;
    roadsum::x86::Instruction ins;  // decode fills it anew each time
    for (auto _ : state) {
        instructions += roadsum::bench::sweep(c, [&](const std::uint8_t* bytes, std::size_t size, std::uint32_t address) {
            if (!roadsum::x86::decode(bytes, size, address, ins)) return std::size_t{0};
            if constexpr (Format) {
                line.clear();
                roadsum::x86::format_instruction(ins, line);
                benchmark::DoNotOptimize(line.data());
            }
            return std::size_t{ins.length};
        });
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(c.bytes));
    state.SetItemsProcessed(instructions);
    state.counters["code_bytes"] = static_cast<double>(c.bytes);
}

void BM_DecodeOnly(benchmark::State& state) { decode_all<false>(state); }
void BM_DecodeAndFormat(benchmark::State& state) { decode_all<true>(state); }

BENCHMARK(BM_DecodeOnly)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeAndFormat)->Unit(benchmark::kMillisecond);

}  // namespace
