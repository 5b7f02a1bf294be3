// Conversion of many polylines into a new network, and the crossing search of new pipes
// against another network. Every drawing is made outside the timed region; the iteration
// counts are fixed so that a smoke run stays short.

#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include "core/general.h"
#include "crossing/crossing.h"
#include "editing/editing.h"
#include "tests/support/network_builder.h"
#include "tests/support/view_style.h"

namespace {

using namespace testing_support;

constexpr double kStep = 10;
constexpr int64_t kRowLength = 100;

// Point i of a serpentine: rows of kRowLength points, every other row run backwards.
std::pair<double, double> Serpentine(int64_t i) {
    int64_t row = i / kRowLength, column = i % kRowLength;
    if (row % 2 == 1) column = kRowLength - 1 - column;
    return {static_cast<double>(column) * kStep, static_cast<double>(row) * kStep};
}

struct ConversionDrawing {
    std::shared_ptr<acad::AcadDocument> doc;
    std::shared_ptr<acad::AcadSelectionSet> set;
};

// n polylines end to end along the serpentine, the last back at the first point: n pipes
// and n nodes, so the labels never run out.
ConversionDrawing PolylinesInLoop(int64_t n) {
    ConversionDrawing d{NewProjectDrawing(), nullptr};
    AddActiveViewStyle(*d.doc, ViewStyleSettings());
    fluvanet::General general;
    general.CreateNetworkDefintion(*d.doc, "Sewer", "Gravity");
    d.set = general.InitializeSelectionSet(*d.doc, "Picked");
    std::vector<std::shared_ptr<acad::AcadEntity>> polylines;
    for (int64_t i = 0; i < n; ++i) {
        auto [x0, y0] = Serpentine(i);
        auto [x1, y1] = Serpentine((i + 1) % n);
        polylines.push_back(d.doc->ModelSpace()->AddLightWeightPolyline({x0, y0, x1, y1}));
    }
    d.set->AddItems(polylines);
    return d;
}

void BM_CreateElementsInNetwork(benchmark::State& state) {
    const int64_t n = state.range(0);
    for (auto _ : state) {
        state.PauseTiming();
        ConversionDrawing d = PolylinesInLoop(n);
        fluvanet::Editing editing;
        state.ResumeTiming();
        editing.CreateElementsInNetwork(*d.doc, *d.set, false, "Sewer", "Gravity");
        state.PauseTiming();
        d = {};  // the drawing goes outside the timed region too
        state.ResumeTiming();
    }
    state.SetComplexityN(n);
}
BENCHMARK(BM_CreateElementsInNetwork)
    ->Arg(1000)
    ->Arg(10000)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->Complexity();

// Network "Old" of n short east-west pipes one above the other, and n new north-south pipes
// of network "New", each crossing exactly one old pipe.
ConversionDrawing CrossingNetworks(int64_t n) {
    ConversionDrawing d{NewProjectDrawing(), nullptr};
    NetworkBuilder old(*d.doc, "Old");
    NetworkBuilder fresh(*d.doc, "New");
    fluvanet::General general;
    d.set = general.InitializeSelectionSet(*d.doc, "Picked");
    for (int64_t i = 0; i < n; ++i) {
        const double y = static_cast<double>(i) * kStep;
        const std::string k = std::to_string(i + 1);
        TestNode west = old.AddNode(0, y, "N-" + std::to_string(2 * i + 1));
        TestNode east = old.AddNode(8, y, "N-" + std::to_string(2 * i + 2));
        old.AddPipe(west, east, "P-" + k, {});
        TestNode south = fresh.AddNode(4, y - 3, "N-" + std::to_string(2 * i + 1));
        TestNode north = fresh.AddNode(4, y + 3, "N-" + std::to_string(2 * i + 2));
        d.set->AddItems({fresh.AddPipe(south, north, "P-" + k, {}).polyline});
    }
    return d;
}

void BM_GetCrossingPointsArrayForSetOfPipes(benchmark::State& state) {
    const int64_t n = state.range(0);
    ConversionDrawing d = CrossingNetworks(n);
    fluvanet::Crossing crossing;
    for (auto _ : state) {
        std::vector<fluvanet::CrossPoint> found = crossing.GetCrossingPointsArrayForSetOfPipes(*d.doc, *d.set);
        if (static_cast<int64_t>(found.size()) != n) state.SkipWithError("every new pipe crosses one old pipe");
        benchmark::DoNotOptimize(found);
    }
    state.SetComplexityN(n);
}
BENCHMARK(BM_GetCrossingPointsArrayForSetOfPipes)
    ->Arg(250)
    ->Arg(500)
    ->Arg(1000)
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond)
    ->Complexity();

}  // namespace

BENCHMARK_MAIN();
