// Collecting and deleting a whole network in drawings of growing size: a labelled sewer of
// n pipes and n nodes, 5n tagged objects.

#include <benchmark/benchmark.h>

#include "bench/bench_drawings.h"
#include "bench/bench_run.h"
#include "core/general.h"
#include "crossing/crossing.h"

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

// A definition table of n rows, the first "Sewer", over a drawing of 1,000 pipes: one set
// per row, made afresh and then made again over the first call's sets.
void BM_GetNetworkSetsAll(benchmark::State& state) {
    fluvanet::Crossing crossing;
    const int32_t rows = static_cast<int32_t>(state.range(0));
    com::SafeArray table = com::SafeArray::Matrix(com::VarType::String, rows, 2);
    for (int32_t i = 0; i < rows; ++i)
        table.Put(i, 0, com::Variant(i == 0 ? std::string("Sewer") : "Net" + std::to_string(i)));
    const com::Variant definitions(std::move(table));
    OnFreshDrawings(
        state, [&] { return SewerLoop(1000, false); },
        [&](Drawing& d) {
            for (int call = 0; call < 2; ++call)
                if (crossing.GetNetworkSetsAll(*d.doc, definitions)[0]->Count() != 1000)
                    Fail(state, "the first row's set misses pipes of the network");
        });
}
BENCHMARK(BM_GetNetworkSetsAll)->Apply([](auto* b) { Growth(b, {1000, 4000, 16000}); });

}  // namespace
