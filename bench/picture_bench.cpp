// A 1024 x 768 screen-like picture quantised and written as a 256-colour PNG, against
// ImageMagick's "convert -colors 256" on the same picture in the same run, both as the
// library call and as whole programs (nox-png and convert, from the same BMP file); and the
// zoom of that picture to the screenshot page's image size.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "crash/picture/bmp_file.h"
#include "crash/picture/mitchell_zoom.h"
#include "crash/picture/png_encoding.h"
#include "crash/picture/whole_file.h"
#include "sample_pictures.h"

namespace {

namespace fs = std::filesystem;

const roadsum::PixelImage& screen() {
    static const roadsum::PixelImage picture = roadsum::testing::screenshot_like(1024, 768);
    return picture;
}

// The picture as a BMP file, written once for the programs.
const fs::path& screen_bmp() {
    static const fs::path path = [] {
        const fs::path dir = fs::temp_directory_path() / "roadsum-picture-bench";
        fs::create_directories(dir);
        roadsum::write_whole_file((dir / "screen.bmp").string(), roadsum::write_bmp(screen()));
        return dir / "screen.bmp";
    }();
    return path;
}

void run_program(benchmark::State& state, const std::string& command, const fs::path& output) {
    for (auto _ : state)
        if (std::system(command.c_str()) != 0) state.SkipWithError(("failed: " + command).c_str());
    std::error_code ec;
    state.counters["out_bytes"] = static_cast<double>(fs::file_size(output, ec));
}

std::uintmax_t imagemagick_size() {
    static const std::uintmax_t size = [] {
        const fs::path out = screen_bmp().parent_path() / "once.png";
        const std::string command = std::string(ROADSUM_IMAGEMAGICK_CONVERT) + " " + screen_bmp().string() + " -colors 256 " + out.string();
        std::error_code ec;
        return std::system(command.c_str()) == 0 ? fs::file_size(out, ec) : 0;
    }();
    return size;
}

// Format 0 (colour) or 1 (grey), in memory.
void BM_Png(benchmark::State& state, int format) {
    std::string png;
    for (auto _ : state) {
        png = roadsum::encode_png(screen(), format);
        benchmark::DoNotOptimize(png.data());
    }
    state.counters["out_bytes"] = static_cast<double>(png.size());
    if (const std::uintmax_t theirs = imagemagick_size())
        state.counters["size_vs_imagemagick"] = static_cast<double>(png.size()) / static_cast<double>(theirs);
}

void BM_NoxPngProgram(benchmark::State& state) {
    const fs::path out = screen_bmp().parent_path() / "nox.png";
    run_program(state, std::string(ROADSUM_NOX_PNG) + " " + screen_bmp().string() + " " + out.string(), out);
}

void BM_ImageMagickColors256(benchmark::State& state) {
    const fs::path out = screen_bmp().parent_path() / "magick.png";
    run_program(state, std::string(ROADSUM_IMAGEMAGICK_CONVERT) + " " + screen_bmp().string() + " -colors 256 " + out.string(),
                out);
}

void BM_ZoomToPageImage(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(roadsum::zoom_mitchell(screen(), 320, 240).pixels.data());
}

BENCHMARK_CAPTURE(BM_Png, colour, 0)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NoxPngProgram)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ImageMagickColors256)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_Png, grey, 1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ZoomToPageImage)->Unit(benchmark::kMillisecond);

}  // namespace
