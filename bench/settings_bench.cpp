// The settings' hot paths: reading the shipped resource into a module record, a lookup that
// falls through to the built-in defaults, and a text with variables.
#include <benchmark/benchmark.h>

#include <fstream>
#include <iterator>

#include "../tests/crash/settings/settings_fakes.h"
#include "crash/settings/component_stream_text.h"
#include "crash/settings/context.h"
#include "crash/settings/settings_stream.h"

namespace {

using namespace roadsum;

std::vector<std::uint8_t> shipped() {
    std::ifstream in(ROADSUM_SOURCE_DIR "/src/app/crash_settings.txt", std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return write_component_stream(component_stream_from_text(text));
}

void BM_ReadShippedResource(benchmark::State& state) {
    std::vector<std::uint8_t> resource = shipped();
    Windows1252CodePage code_page;
    for (auto _ : state) benchmark::DoNotOptimize(read_settings_stream(resource, code_page));
}
BENCHMARK(BM_ReadShippedResource);

void BM_LookupFallingToDefaults(benchmark::State& state) {
    testing::SettingsWorld w;
    w.modules.resources[testing::kExe] = shipped();
    Ref<TCrashSettings> s = w.context.RulingSettings();
    for (auto _ : state) benchmark::DoNotOptimize(s->Get(keys::AutoDelay));
}
BENCHMARK(BM_LookupFallingToDefaults);

void BM_ExpandBitFaultMessage(benchmark::State& state) {
    testing::SettingsWorld w;
    w.modules.resources[testing::kExe] = shipped();
    Ref<TCrashSettings> s = w.context.RulingSettings();
    for (auto _ : state) benchmark::DoNotOptimize(s->Get(keys::BitFaultMsg));
}
BENCHMARK(BM_ExpandBitFaultMessage);

}  // namespace
