// The drawing events and the identifier rebuild in drawings of growing size: the labelled
// sewer of n pipes and n nodes.

#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

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
    struct Erasure {
        Drawing d;
        std::vector<std::shared_ptr<acad::AcadEntity>> network;
        std::unique_ptr<host::EventDriver> host;
    };
    auto general = std::make_shared<fluvanet::General>();
    auto events = std::make_shared<fluvanet::Events>();
    OnFreshDrawings(
        state,
        [&] {
            Erasure e{SewerLoop(state.range(0)), {}, nullptr};
            e.network = general->GetNetworkSet(*e.d.doc, "Sewer", 0)->Members();
            e.host = std::make_unique<host::EventDriver>(e.d.doc, general, events);
            return e;
        },
        [](Erasure& e) { e.host->Erase(e.network); });
}
// A labelled network of n pipes is 5n objects, all in the erase lists at the end.
BENCHMARK(BM_EraseCascade)->Apply([](auto* b) { Growth(b, {1000, 10000, 50000}); });

// 500 pipes and the 501 nodes they join copied within the drawing.
void BM_VerifyCopiedElements(benchmark::State& state) {
    struct Copies {
        Drawing d;
        std::string ids;
    };
    OnFreshDrawings(
        state,
        [&] {
            Copies c{SewerLoop(state.range(0)), ""};
            c.ids = CopySewerChainEntities(*c.d.doc, 500);
            return c;
        },
        [](Copies& c) { VerifyCopies(*c.d.doc, c.ids); });
}
BENCHMARK(BM_VerifyCopiedElements)->Apply([](auto* b) { Growth(b, {1000, 10000, 50000}); });

// After a save and reopen every identifier is new.
void BM_UpdateObjectIDs(benchmark::State& state) {
    fluvanet::UpdateOIDs update;
    OnFreshDrawings(
        state,
        [&] {
            Drawing d = SewerLoop(state.range(0));
            d.doc->ReopenWithNewIds();
            return d;
        },
        [&](Drawing& d) { update.UpdateObjectIDs(*d.doc); });
}
BENCHMARK(BM_UpdateObjectIDs)->Apply([](auto* b) { Growth(b, {1000, 10000, 50000}); });

}  // namespace
