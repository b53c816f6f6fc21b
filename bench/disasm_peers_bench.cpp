// Our decoder against Zydis and Capstone on the same real code in one run: the code sections of
// the disassembler's sample programs and of a few of Wine's own 32-bit DLLs (when installed),
// each decoded linearly from start to end. The rivals run interleaved in random order, so a
// loaded machine slows them all alike, and the run ends with each one's median time and its
// ratio to ours.
//
//   ours: full decode (the instruction record with its operands); decode and format a line
//   Zydis: decode without operands; full decode; full decode and Intel formatting
//   Capstone: 32-bit mode with detail off (it always formats) and on
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "code_sections.h"
#include "crash/x86/decoder.h"
#include "crash/x86/format.h"
#include "disasm_peers.h"

namespace {

using roadsum::bench::CodeSections;

const CodeSections& code() {
    static const CodeSections c = [] {
        std::vector<std::string> paths = {ROADSUM_DISASM_SAMPLE_O2, ROADSUM_DISASM_SAMPLE_O0};
        for (const char* dll : {"kernelbase", "user32", "ole32", "comctl32", "msvcrt", "oleaut32"})
            paths.push_back(std::string(ROADSUM_WINE_DLL_DIR) + "/" + dll + ".dll");
        return roadsum::bench::read_code_sections(paths);
    }();
    return c;
}

template <typename Step>
void run(benchmark::State& state, Step&& step) {
    const CodeSections& c = code();
    if (c.bytes == 0) {
        state.SkipWithError("no code: the sample programs are not built");
        return;
    }
    std::int64_t instructions = 0;
    for (auto _ : state) instructions += roadsum::bench::sweep(c, step);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(c.bytes));
    state.SetItemsProcessed(instructions);
}

// Like the rivals' records, ours is filled anew by each decode rather than made for each.
void Ours_Decode(benchmark::State& state) {
    roadsum::x86::Instruction ins;
    run(state, [&](const std::uint8_t* bytes, std::size_t size, std::uint32_t address) {
        return roadsum::x86::decode(bytes, size, address, ins) ? std::size_t{ins.length} : 0;
    });
}
BENCHMARK(Ours_Decode);

void Ours_DecodeFormat(benchmark::State& state) {
    roadsum::x86::Instruction ins;
    std::string line;
    line.reserve(256);
    run(state, [&](const std::uint8_t* bytes, std::size_t size, std::uint32_t address) {
        if (!roadsum::x86::decode(bytes, size, address, ins)) return std::size_t{0};
        line.clear();
        roadsum::x86::format_instruction(ins, line);
        benchmark::DoNotOptimize(line.data());
        return std::size_t{ins.length};
    });
}
BENCHMARK(Ours_DecodeFormat);

#ifdef ROADSUM_HAVE_ZYDIS
using roadsum::bench::ZydisPeer;

void Zydis_DecodeNoOperands(benchmark::State& state) {
    ZydisPeer zydis;
    run(state, [&](const std::uint8_t* bytes, std::size_t size, std::uint32_t) {
        return zydis.decode_instruction(bytes, size);
    });
}
BENCHMARK(Zydis_DecodeNoOperands);

void Zydis_DecodeFull(benchmark::State& state) {
    ZydisPeer zydis;
    run(state, [&](const std::uint8_t* bytes, std::size_t size, std::uint32_t) { return zydis.decode_full(bytes, size); });
}
BENCHMARK(Zydis_DecodeFull);

void Zydis_DecodeFullFormat(benchmark::State& state) {
    ZydisPeer zydis;
    run(state, [&](const std::uint8_t* bytes, std::size_t size, std::uint32_t address) {
        const std::size_t length = zydis.decode_and_format(bytes, size, address);
        benchmark::DoNotOptimize(zydis.text());
        return length;
    });
}
BENCHMARK(Zydis_DecodeFullFormat);
#endif

#ifdef ROADSUM_HAVE_CAPSTONE
template <bool Detail>
void capstone(benchmark::State& state) {
    roadsum::bench::CapstonePeer peer(Detail);
    if (!peer.ready()) {
        state.SkipWithError("Capstone did not open");
        return;
    }
    run(state, [&](const std::uint8_t* bytes, std::size_t size, std::uint32_t address) {
        return peer.decode(bytes, size, address);
    });
}
void Capstone_DetailOff(benchmark::State& state) { capstone<false>(state); }
void Capstone_DetailOn(benchmark::State& state) { capstone<true>(state); }
BENCHMARK(Capstone_DetailOff);
BENCHMARK(Capstone_DetailOn);
#endif

// Keeps each repetition's processor time (on a shared machine the wall-clock time also counts
// the waits for a core) so that the ratios come from the medians.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& r : runs)
            if (r.run_type == Run::RT_Iteration && !r.error_occurred)
                times_[r.run_name.function_name].push_back(r.cpu_accumulated_time / static_cast<double>(r.iterations));
        ConsoleReporter::ReportRuns(runs);
    }

    void print_ratios() const {
        std::map<std::string, double> median;
        for (auto [name, times] : times_) {
            std::sort(times.begin(), times.end());
            median[name] = times[times.size() / 2];
        }
        const double decode = median.count("Ours_Decode") ? median.at("Ours_Decode") : 0;
        const double format = median.count("Ours_DecodeFormat") ? median.at("Ours_DecodeFormat") : 0;
        if (decode <= 0 || format <= 0) return;
        const double megabytes = static_cast<double>(code().bytes) / 1e6;
        std::printf("\n%.2f MB of code in %zu files; median processor time of the repetitions; ratio = its time / ours\n", megabytes,
                    code().files);
        std::printf("%-24s %10s %10s %14s %14s\n", "", "ms", "MB/s", "/ our decode", "/ our format");
        for (const auto& [name, t] : median)
            std::printf("%-24s %10.2f %10.1f %14.2f %14.2f\n", name.c_str(), t * 1e3, megabytes / t, t / decode,
                        t / format);
        auto goal = [&](const char* what, const char* rival, double reference, double want) {
            if (!median.count(rival)) return;
            const double ratio = median.at(rival) / reference;
            std::printf("goal: %s: %.2f (want at least %.2f) %s\n", what, ratio, want, ratio >= want ? "met" : "NOT met");
        };
        goal("our full decode against Zydis's decode without operands", "Zydis_DecodeNoOperands", decode, 1.0);
        goal("our decode and format against Zydis's full decode and format", "Zydis_DecodeFullFormat", format, 1.5);
    }

private:
    std::map<std::string, std::vector<double>> times_;
};

}  // namespace

int main(int argc, char** argv) {
    // Interleaved repetitions unless the command line says otherwise.
    std::vector<char*> args(argv, argv + argc);
    std::string interleave = "--benchmark_enable_random_interleaving=true";
    std::string repetitions = "--benchmark_repetitions=9";
    args.insert(args.begin() + 1, {interleave.data(), repetitions.data()});
    benchmark::SetDefaultTimeUnit(benchmark::kMillisecond);
    int count = static_cast<int>(args.size());
    benchmark::Initialize(&count, args.data());
    if (benchmark::ReportUnrecognizedArguments(count, args.data())) return 1;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.print_ratios();
    benchmark::Shutdown();
    return 0;
}
