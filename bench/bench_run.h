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

}  // namespace bench_support
