#include <benchmark/benchmark.h>

#include "bench/bench_run.h"

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return bench_support::Failures() == 0 ? 0 : 1;
}
