// Drawing the profile of a line of 500 pipes in drawings of growing size: the line stays
// the same, what grows is the drawing around it (the labelled sewer of n pipes).

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "bench/bench_drawings.h"
#include "bench/bench_run.h"
#include "profile/profile.h"

namespace {

using namespace bench_support;

void BM_DrawProfile(benchmark::State& state) {
    const int64_t n = state.range(0);
    Drawing d = SewerLoop(n);
    const std::vector<std::string> line = ProfileLine(*d.doc, 500);
    fluvanet::Profile profile;
    const com::Variant at(com::SafeArray::FromDoubles({0, -2000, 0}));
    int drawn = 0;
    for (auto _ : state) {
        const std::string name = "L-" + std::to_string(++drawn);
        if (!Timed(state, [&] {
                profile.DrawProfile(*d.doc, name, "Sewer", "Gravity", "Road", line, at, false, "", true, 0, true,
                                    true);
            }))
            break;
    }
    state.SetComplexityN(n);
}
BENCHMARK(BM_DrawProfile)
    ->Apply([](auto* b) { Sizes(b, {1000, 10000, 50000}); })
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->Complexity();

}  // namespace
