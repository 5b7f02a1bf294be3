// Collecting and deleting a whole network in drawings of growing size: a labelled sewer of
// n pipes and n nodes, 5n tagged objects.

#include <benchmark/benchmark.h>

#include "bench/bench_drawings.h"
#include "bench/bench_run.h"
#include "core/general.h"

namespace {

using namespace bench_support;

void BM_GetNetworkSet(benchmark::State& state) {
    const int64_t n = state.range(0);
    Drawing d = SewerLoop(n);
    fluvanet::General general;
    for (auto _ : state) {
        std::shared_ptr<acad::AcadSelectionSet> set;
        if (!Timed(state, [&] { set = general.GetNetworkSet(*d.doc, "Sewer", 0); })) break;
        // Pipes, nodes, their label blocks and the pipes' arrows.
        if (set->Count() != 5 * n) Fail(state, "the set misses elements of the network");
    }
    state.SetComplexityN(n);
}
BENCHMARK(BM_GetNetworkSet)
    ->Apply([](auto* b) { Sizes(b, {1000, 10000, 50000}); })
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->Complexity();

void BM_DeleteNetwork(benchmark::State& state) {
    const int64_t n = state.range(0);
    fluvanet::General general;
    for (auto _ : state) {
        state.PauseTiming();
        Drawing d = SewerLoop(n);
        state.ResumeTiming();
        if (!Timed(state, [&] { general.DeleteNetwork(*d.doc, "Sewer"); })) break;
        state.PauseTiming();
        d = {};  // the drawing goes outside the timed region too
        state.ResumeTiming();
    }
    state.SetComplexityN(n);
}
BENCHMARK(BM_DeleteNetwork)
    ->Apply([](auto* b) { Sizes(b, {1000, 10000, 50000}); })
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->Complexity();

}  // namespace
