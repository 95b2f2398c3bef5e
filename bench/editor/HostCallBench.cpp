// Host calls that ask for a design return at once, whatever the state holds: the design runs on
// the instance's own thread. A jagged ±30 dB target keeps the fit from ever converging.

#include <benchmark/benchmark.h>

#include <cmath>

#include "framework/core/ByteChunk.h"
#include "plugin/IResonix.h"

namespace {

void BM_HostSetStateUnreachableTarget(benchmark::State& state) {
  IResonix plug{IInstanceInfo{}};
  ByteChunk chunk;
  for (int i = 0; i < kNumBands; ++i) {
    const double measured = 0.1;
    chunk.Put(&measured);
  }
  for (int i = 0; i < kNumBands; ++i) {
    const double shape = std::pow(10.0, (i % 2 ? 0 : -60) / 20.0);
    chunk.Put(&shape);
  }
  const double params[kNumParams] = {0.0, 1.0, 0.5, 0.0};
  for (double v : params) chunk.Put(&v);
  for (auto _ : state) benchmark::DoNotOptimize(plug.HostSetState(&chunk));
  plug.wait_for_design();
}
BENCHMARK(BM_HostSetStateUnreachableTarget)->Unit(benchmark::kMicrosecond)->UseRealTime();

}  // namespace
