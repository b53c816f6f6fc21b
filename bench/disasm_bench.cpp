// The decoder on real compiled code: the code sections of the disassembler's own sample
// programs (compiled by the cross compiler at two optimisation levels, about 1.7 MB of code).
// Reports bytes and instructions per second.
#include <benchmark/benchmark.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "crash/x86/decoder.h"
#include "crash/x86/format.h"
#include "pe_image.h"

namespace {

struct Code {
    std::vector<std::vector<std::uint8_t>> sections;
    std::vector<std::uint32_t> bases;
    std::size_t bytes = 0;
};

const Code& code() {
    static const Code c = [] {
        Code out;
        for (const char* path : {ROADSUM_DISASM_SAMPLE_O2, ROADSUM_DISASM_SAMPLE_O0}) {
            std::ifstream in(path, std::ios::binary);
            std::string file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            std::string error;
            const auto image = roadsum::PeImage::parse(std::move(file), error);
            if (!image) continue;
            for (const roadsum::PeSectionHeader& s : image->sections()) {
                if (!s.is_code()) continue;
                std::vector<std::uint8_t> bytes(s.virtual_size);
                if (!image->read(image->image_base() + s.virtual_address, bytes.data(), s.virtual_size)) continue;
                out.bytes += bytes.size();
                out.sections.push_back(std::move(bytes));
                out.bases.push_back(image->image_base() + s.virtual_address);
            }
        }
        return out;
    }();
    return c;
}

template <bool Format>
void decode_all(benchmark::State& state) {
    const Code& c = code();
    if (c.bytes == 0) {
        state.SkipWithError("sample programs not built");
        return;
    }
    std::string line;
    line.reserve(256);
    std::int64_t instructions = 0;
    for (auto _ : state) {
        for (std::size_t s = 0; s < c.sections.size(); ++s) {
            const std::vector<std::uint8_t>& bytes = c.sections[s];
            std::size_t at = 0;
            while (at < bytes.size()) {
                roadsum::x86::Instruction ins;
                if (roadsum::x86::decode(bytes.data() + at, bytes.size() - at, c.bases[s] + static_cast<std::uint32_t>(at), ins)) {
                    if constexpr (Format) {
                        line.clear();
                        roadsum::x86::format_instruction(ins, line);
                        benchmark::DoNotOptimize(line.data());
                    }
                    at += ins.length;
                } else {
                    ++at;
                }
                ++instructions;
            }
        }
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
