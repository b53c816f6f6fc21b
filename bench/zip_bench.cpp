// A text report packed by the ZIP writer against zlib's own compress2 on the same data and
// level in the same run: the writer's overhead is crc, headers and the central directory.
#include <benchmark/benchmark.h>
#include <zlib.h>

#include <map>
#include <vector>

#include "crash/archive/zip_writer.h"
#include "zip_test_support.h"

namespace {

const std::vector<std::uint8_t>& report(std::size_t size) {
    static std::map<std::size_t, std::vector<std::uint8_t>> cache;
    auto& data = cache[size];
    if (data.empty()) data = roadsum::testing::to_bytes(roadsum::testing::report_text(size));
    return data;
}

void BM_ZipWriter(benchmark::State& state) {
    const std::vector<std::uint8_t>& data = report(static_cast<std::size_t>(state.range(0)));
    std::size_t archive = 0;
    for (auto _ : state) {
        roadsum::MemorySink sink;
        roadsum::ZipWriter writer(sink);
        const bool ok = writer.add({"bugreport.txt", roadsum::dos_stamp({2024, 3, 5, 14, 22, 30}), 0x20}, data) ==
                            roadsum::ZipWriter::Added::written &&
                        writer.finish();
        if (!ok) state.SkipWithError("archive not written");
        archive = sink.bytes().size();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * data.size()));
    state.counters["out_bytes"] = static_cast<double>(archive);
}

void BM_ZlibCompress2(benchmark::State& state) {
    const std::vector<std::uint8_t>& data = report(static_cast<std::size_t>(state.range(0)));
    std::vector<std::uint8_t> out(compressBound(static_cast<uLong>(data.size())));
    uLongf packed = 0;
    for (auto _ : state) {
        packed = static_cast<uLongf>(out.size());
        if (compress2(out.data(), &packed, data.data(), static_cast<uLong>(data.size()), roadsum::kCompressionLevel) != Z_OK)
            state.SkipWithError("compress2 failed");
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * data.size()));
    state.counters["out_bytes"] = static_cast<double>(packed);
}

BENCHMARK(BM_ZipWriter)->Arg(1 << 20)->Arg(10 << 20)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ZlibCompress2)->Arg(1 << 20)->Arg(10 << 20)->Unit(benchmark::kMillisecond);

}  // namespace
