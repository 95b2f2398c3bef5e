// An open editor that nothing changes: the host's audio runs (silence, 48 kHz, 512-frame blocks, four
// blocks per 40 ms timer tick) and the timer ticks. Reports how many ticks drew anything and the
// share of one core the ticks take at 25 per second.
#include <benchmark/benchmark.h>

#include <vector>

#include "framework/graphics/headless/IGraphicsHeadless.h"
#include "plugin/IResonix.h"

namespace {

void BM_EditorIdleTick(benchmark::State& state) {
  IResonix plug{IInstanceInfo{}};
  plug.HostSetBlockSize(512);
  plug.HostSetSampleRate(48000.0);
  auto* gui = dynamic_cast<IGraphicsHeadless*>(plug.GetGUI());
  gui->RedrawAll();
  std::vector<double> in(512, 0.0), out(512);
  double* ins[1] = {in.data()};
  double* outs[1] = {out.data()};
  long drawn = 0;
  for (auto _ : state) {
    state.PauseTiming();
    for (int b = 0; b < 4; ++b) plug.HostProcess(ins, outs, 512);
    state.ResumeTiming();
    drawn += gui->Tick();
  }
  state.counters["ticks_drawn"] = double(drawn) / double(state.iterations());
  // Seconds per tick x 25 ticks per second, in percent of one core.
  state.counters["core_share_pct"] = benchmark::Counter(
      1.0 / 2500.0, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_EditorIdleTick);

}  // namespace
