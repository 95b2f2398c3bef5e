// The entry point of bench_editor; the benchmark files of this folder register themselves.
#include <benchmark/benchmark.h>

BENCHMARK_MAIN();
