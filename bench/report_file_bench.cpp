// Putting a report into a report file that holds 1,000 reports: the search for a repetition,
// the trim at the size limit and the move of the rest, carried out in place on one buffer as
// on the file's mapping. The cost should grow with the file's size once, wherever the
// repetition lies.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

#include "crash/report/report_file_merge.h"

namespace {

using namespace roadsum;

// A report of about `size` bytes with its own checksums.
std::string report(int index, std::size_t size) {
    char crc[48];
    std::snprintf(crc, sizeof crc, "$%08X, $%08X, $%08X", index, index * 7, index * 13);
    std::string text = "date/time        : 2024-03-07, 09:05:04, 42ms\r\n"
                       "executable       : Roadsum.exe\r\n"
                       "version          : 1.0.0.0\r\n"
                       "callstack crc    : " + std::string(crc) + "\r\n"
                       "exception class  : EConvertError\r\n"
                       "exception message: 'x' is not a valid integer value\r\n\r\nmain thread ($1A4):\r\n";
    while (text.size() < size) text += "0044f3a2 +01c Roadsum.exe RoadsumFrm 112 +4 TRoadsumFrm.PricelistBtnClick\r\n";
    return text + "\r\nstack dump:\r\n.";
}

// Each round starts from the same file; only the merge is timed.
void time_merge(benchmark::State& state, const std::string& file, const std::string& fresh, const ReportFileRules& rules) {
    std::vector<std::uint8_t> buffer(file.size() + fresh.size() + 64);
    for (auto _ : state) {
        state.PauseTiming();
        std::copy(file.begin(), file.end(), buffer.begin());
        state.ResumeTiming();
        const ReportFileMerge plan = plan_report_merge({reinterpret_cast<const char*>(buffer.data()), file.size()}, fresh, rules);
        apply_report_merge(buffer.data(), file.size(), plan);
        benchmark::DoNotOptimize(plan.NewSize);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * file.size()));
}

// 1,000 reports in `bytes`; the repetition of the new report lies where `at` says.
enum Where { kNowhere, kStart, kEnd };

void append(benchmark::State& state, Where at) {
    const std::size_t bytes = static_cast<std::size_t>(state.range(0)) << 20;
    const std::string fresh = report(999999, bytes / 1000);
    std::string file;
    for (int i = 0; i < 1000; ++i) {
        const bool repeat = (at == kStart && i == 0) || (at == kEnd && i == 999);
        file += (repeat ? fresh : report(i, bytes / 1000)) + "\r\n\r\n";
    }
    time_merge(state, file, fresh, {});
}

void BM_AppendRepetitionAtStart(benchmark::State& state) { append(state, kStart); }
void BM_AppendRepetitionAtEnd(benchmark::State& state) { append(state, kEnd); }
void BM_AppendNoRepetition(benchmark::State& state) { append(state, kNowhere); }
BENCHMARK(BM_AppendRepetitionAtStart)->Arg(1)->Arg(5)->Arg(10)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AppendRepetitionAtEnd)->Arg(1)->Arg(5)->Arg(10)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AppendNoRepetition)->Arg(1)->Arg(5)->Arg(10)->Unit(benchmark::kMillisecond);

// The size limit cuts 10 MB down to 75 % of 100,000 bytes before the report goes on.
void BM_TrimToTheSizeLimit(benchmark::State& state) {
    std::string file;
    for (int i = 0; i < 1000; ++i) file += report(i, 10 << 10) + "\r\n\r\n";
    const std::string fresh = report(999999, 10 << 10);
    ReportFileRules rules;
    rules.SizeLimit = 100000;
    time_merge(state, file, fresh, rules);
}
BENCHMARK(BM_TrimToTheSizeLimit)->Unit(benchmark::kMillisecond);

}  // namespace
