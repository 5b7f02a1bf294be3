// Conversion of many polylines into a new network, and the crossing search of n new pipes
// against a network of n pipes. Every drawing is made outside the timed region; the
// iteration counts are fixed so that a smoke run stays short.

#include <benchmark/benchmark.h>

#include <vector>

#include "bench/bench_drawings.h"
#include "bench/bench_run.h"
#include "crossing/crossing.h"

namespace {

using namespace bench_support;

void BM_CreateElementsInNetwork(benchmark::State& state) {
    OnFreshDrawings(state, [&] { return PolylinesInLoop(state.range(0)); }, [](Drawing& d) { ConvertIntoSewer(d); });
}
// New labels of a network are numbered from 1 to 10,000: no conversion goes further.
BENCHMARK(BM_CreateElementsInNetwork)->Apply([](auto* b) { Growth(b, {1000, 10000}); });

void BM_GetCrossingPointsArrayForSetOfPipes(benchmark::State& state) {
    const int64_t n = state.range(0);
    Drawing d = CrossingNetworks(n);
    fluvanet::Crossing crossing;
    for (auto _ : state) {
        std::vector<fluvanet::CrossPoint> found;
        if (!Timed(state, [&] { found = crossing.GetCrossingPointsArrayForSetOfPipes(*d.doc, *d.set); })) break;
        if (static_cast<int64_t>(found.size()) != n) Fail(state, "every new pipe crosses one old pipe");
        benchmark::DoNotOptimize(found);
    }
    state.SetComplexityN(n);
}
BENCHMARK(BM_GetCrossingPointsArrayForSetOfPipes)->Apply([](auto* b) { Growth(b, {1000, 10000, 50000}, 5); });

}  // namespace
