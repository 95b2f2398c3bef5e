// One binary for all DSP benchmarks.
#include <benchmark/benchmark.h>

BENCHMARK_MAIN();
