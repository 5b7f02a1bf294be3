// Collecting and deleting a whole network in drawings of growing size: a labelled sewer of
// n pipes and n nodes, 5n tagged objects.

#include <benchmark/benchmark.h>

#include "bench/bench_drawings.h"
#include "bench/bench_run.h"
#include "core/general.h"

namespace {

using namespace bench_support;

void BM_GetNetworkSet(benchmark::State& state) {
    fluvanet::General general;
    OnFreshDrawings(
        state, [&] { return SewerLoop(state.range(0)); },
        [&](Drawing& d) {
            // Pipes, nodes, their label blocks and the pipes' arrows.
            if (general.GetNetworkSet(*d.doc, "Sewer", 0)->Count() != 5 * state.range(0))
                Fail(state, "the set misses elements of the network");
        });
}
BENCHMARK(BM_GetNetworkSet)->Apply([](auto* b) { Growth(b, {1000, 10000, 50000}); });

void BM_DeleteNetwork(benchmark::State& state) {
    fluvanet::General general;
    OnFreshDrawings(
        state, [&] { return SewerLoop(state.range(0)); },
        [&](Drawing& d) { general.DeleteNetwork(*d.doc, "Sewer"); });
}
BENCHMARK(BM_DeleteNetwork)->Apply([](auto* b) { Growth(b, {1000, 10000, 50000}); });

}  // namespace
