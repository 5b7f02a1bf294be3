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
    struct Line {
        Drawing d;
        std::vector<std::string> pipes;
    };
    fluvanet::Profile profile;
    const com::Variant at(com::SafeArray::FromDoubles({0, -2000, 0}));
    OnFreshDrawings(
        state,
        [&] {
            Line line{SewerLoop(state.range(0)), {}};
            line.pipes = ProfileLine(*line.d.doc, 500);
            return line;
        },
        [&](Line& line) {
            profile.DrawProfile(*line.d.doc, "L-1", "Sewer", "Gravity", "Road", line.pipes, at, false, "", true, 0,
                                true, true);
        });
}
BENCHMARK(BM_DrawProfile)->Apply([](auto* b) { Growth(b, {1000, 10000, 50000}); });

}  // namespace
