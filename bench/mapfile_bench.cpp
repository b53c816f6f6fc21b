// Roadsum.exe's own debug information: loading it (from the resource: find, decipher,
// decompress, check, parse, sort; and, for comparison, from the text map beside it) and
// resolving random code addresses to unit, line and function.
// The program comes from the cross tree (build/win32/bin/Roadsum.exe, made by scripts/test);
// the environment variable ROADSUM_EXE names another one.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

#include "crash/debuginfo/map_file.h"
#include "crash/process/pe_headers.h"

namespace {

using namespace roadsum;

std::string roadsum_exe() {
    const char* path = std::getenv("ROADSUM_EXE");
    return path ? path : ROADSUM_BENCH_ROADSUM_EXE;
}

std::string read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

const PeFileImage& roadsum_image() {
    static const PeFileImage image(read_file(roadsum_exe()));
    return image;
}

// Only the image: the resource is the one source.
TMapFile load_from_resource() {
    const NoDebugFiles none;
    MapFileSources s;
    s.image = &roadsum_image();
    s.module_path = roadsum_exe();
    s.files = &none;
    return TMapFile::Create(s);
}

void BM_LoadFromResource(benchmark::State& state) {
    if (!roadsum_image().valid()) return state.SkipWithError(("cannot read " + roadsum_exe()).c_str());
    std::size_t lines = 0;
    for (auto _ : state) {
        const TMapFile m = load_from_resource();
        lines = m.Lines.size();
        benchmark::DoNotOptimize(lines);
    }
    state.counters["lines"] = static_cast<double>(lines);
}
BENCHMARK(BM_LoadFromResource)->Unit(benchmark::kMillisecond);

void BM_LoadFromMapText(benchmark::State& state) {
    const StdDebugFiles files;
    const std::string map = with_extension(roadsum_exe(), ".map");
    if (!files.read_all(map)) return state.SkipWithError(("cannot read " + map).c_str());
    for (auto _ : state) {
        MapFileSources s;
        s.module_path = roadsum_exe();
        s.side_file = map;
        s.files = &files;
        s.code_start = 0x401000;
        const TMapFile m = TMapFile::Create(s);
        benchmark::DoNotOptimize(m.Lines.size());
    }
}
BENCHMARK(BM_LoadFromMapText)->Unit(benchmark::kMillisecond);

// 100,000 random addresses of the code: unit, line, function (its display name) of each.
void BM_Resolve100000Addresses(benchmark::State& state) {
    if (!roadsum_image().valid()) return state.SkipWithError(("cannot read " + roadsum_exe()).c_str());
    const TMapFile m = load_from_resource();
    std::mt19937 random(42);
    std::uniform_int_distribution<std::uint32_t> in_code(m.CodeStart, m.CodeEnd - 1);
    std::vector<std::uint32_t> addresses(100000);
    for (std::uint32_t& a : addresses) a = in_code(random);
    for (auto _ : state) {
        MapFileInfos infos;
        for (std::uint32_t a : addresses) {
            m.GetMapFileInfos(a, infos);
            benchmark::DoNotOptimize(infos.Line);
        }
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(addresses.size()));
}
BENCHMARK(BM_Resolve100000Addresses)->Unit(benchmark::kMillisecond);

}  // namespace
