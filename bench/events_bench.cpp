// The drawing events and the identifier rebuild in drawings of growing size: the labelled
// sewer of n pipes and n nodes.

#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "bench/bench_drawings.h"
#include "bench/bench_run.h"
#include "core/general.h"
#include "events/events.h"
#include "events/update_oids.h"
#include "platform/host_driver.h"

namespace {

using namespace bench_support;

// The user erases every object of the network at once; the test host reports each to its
// handler and erases what the handlers queue.
void BM_EraseCascade(benchmark::State& state) {
    const int64_t n = state.range(0);
    auto general = std::make_shared<fluvanet::General>();
    auto events = std::make_shared<fluvanet::Events>();
    for (auto _ : state) {
        state.PauseTiming();
        Drawing d = SewerLoop(n);
        auto network = general->GetNetworkSet(*d.doc, "Sewer", 0)->Members();
        host::EventDriver host(d.doc, general, events);
        state.ResumeTiming();
        if (!Timed(state, [&] { host.Erase(network); })) break;
        state.PauseTiming();
        d = {};
        state.ResumeTiming();
    }
    state.SetComplexityN(n);
}
// The host's lists keep their 16-bit index: an erasure of more than 32,767 objects at once
// overflows, and a labelled network of n pipes is 5n objects.
BENCHMARK(BM_EraseCascade)
    ->Apply([](auto* b) { Sizes(b, {1000, 3000, 6000}); })
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->Complexity();

// 500 pipes and the 501 nodes they join copied within the drawing.
void BM_VerifyCopiedElements(benchmark::State& state) {
    const int64_t n = state.range(0);
    for (auto _ : state) {
        state.PauseTiming();
        Drawing d = SewerLoop(n);
        const std::string copies = CopySewerChainEntities(*d.doc, 500);
        state.ResumeTiming();
        if (!Timed(state, [&] { VerifyCopies(*d.doc, copies); })) break;
        state.PauseTiming();
        d = {};
        state.ResumeTiming();
    }
    state.SetComplexityN(n);
}
BENCHMARK(BM_VerifyCopiedElements)
    ->Apply([](auto* b) { Sizes(b, {1000, 10000, 50000}); })
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->Complexity();

// After a save and reopen every identifier is new.
void BM_UpdateObjectIDs(benchmark::State& state) {
    const int64_t n = state.range(0);
    Drawing d = SewerLoop(n);
    fluvanet::UpdateOIDs update;
    for (auto _ : state) {
        state.PauseTiming();
        d.doc->ReopenWithNewIds();
        state.ResumeTiming();
        if (!Timed(state, [&] { update.UpdateObjectIDs(*d.doc); })) break;
    }
    state.SetComplexityN(n);
}
BENCHMARK(BM_UpdateObjectIDs)
    ->Apply([](auto* b) { Sizes(b, {1000, 10000, 50000}); })
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->Complexity();

}  // namespace
