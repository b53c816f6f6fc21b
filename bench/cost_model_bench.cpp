// One run of the cost model over the worked example's inputs, both branches.
#include <benchmark/benchmark.h>

#include "calc/cost_model.h"

namespace {

void run_example(benchmark::State& state, bool stay_away) {
    roadsum::CostInputs in;
    in.total_hours = "84";
    in.technicians = "2";
    in.distance_one_way = "100";
    in.travel_minutes_one_way = "90";
    in.stay_away = stay_away;
    const roadsum::RegionalFormats formats;
    std::size_t chars = 0;
    for (auto _ : state) {
        roadsum::run_cost_model(in, formats, [&](roadsum::ResultLabel, const std::string& t) { chars += t.size(); });
    }
    benchmark::DoNotOptimize(chars);
}

void BM_CostModelStayAway(benchmark::State& state) { run_example(state, true); }
void BM_CostModelTravelHome(benchmark::State& state) { run_example(state, false); }

BENCHMARK(BM_CostModelStayAway);
BENCHMARK(BM_CostModelTravelHome);

}  // namespace
