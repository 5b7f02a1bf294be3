#pragma once
// How the benchmarks run: the sizes, and failures reported as the benchmark's own.
// FLUVANET_BENCH_SMALLEST=1 keeps only the first size, so that CI's run stays a short
// smoke run. A failed benchmark lets the others run; the program then exits with 1. A
// failure is written to stderr at once: when every size of a benchmark fails, Google
// Benchmark 1.7's complexity step crashes before the failure is reported.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>

#include "platform/error.h"

namespace bench_support {

inline bool SmallestOnly() {
    const char* value = std::getenv("FLUVANET_BENCH_SMALLEST");
    return value && std::string_view(value) != "" && std::string_view(value) != "0";
}

inline void Sizes(benchmark::internal::Benchmark* b, std::initializer_list<int64_t> sizes) {
    for (int64_t n : sizes) {
        b->Arg(n);
        if (SmallestOnly()) break;
    }
}

inline int& Failures() {
    static int failures = 0;
    return failures;
}

inline void Fail(benchmark::State& state, std::string message) {
    std::fprintf(stderr, "failed at size %lld: %s\n", static_cast<long long>(state.range(0)), message.c_str());
    static std::string kept;  // the state keeps only the pointer
    kept = std::move(message);
    state.SkipWithError(kept.c_str());
    ++Failures();
}

// Runs `timed`; a library error fails the benchmark with its text and gives false, so
// that the loop can end.
template <class F>
bool Timed(benchmark::State& state, F&& timed) {
    try {
        timed();
        return true;
    } catch (const com::Error& e) {
        Fail(state, e.what());
        return false;
    }
}

// A fixed number of runs per size, in milliseconds, and the growth fitted over the sizes.
inline void Growth(benchmark::internal::Benchmark* b, std::initializer_list<int64_t> sizes, int64_t runs = 1) {
    Sizes(b, sizes);
    b->Iterations(runs)->Unit(benchmark::kMillisecond)->Complexity();
}

// Each iteration times `timed` on what `make` gives, made and dropped outside the timed
// region, so that a call that changes its drawing meets the same one every time.
template <class Make, class F>
void OnFreshDrawings(benchmark::State& state, Make&& make, F&& timed) {
    for (auto _ : state) {
        state.PauseTiming();
        auto made = std::make_unique<decltype(make())>(make());
        state.ResumeTiming();
        if (!Timed(state, [&] { timed(*made); }) || state.error_occurred()) break;
        state.PauseTiming();
        made.reset();
        state.ResumeTiming();
    }
    state.SetComplexityN(state.range(0));
}

}  // namespace bench_support
