// The correction design on the work that used to block its callers: a cut the filter cannot reach,
// and a stroke whose designs supersede each other on the design thread.
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>

#include "engine/Cascade.h"
#include "engine/CorrectionDesign.h"
#include "engine/DesignThread.h"
#include "reference/ReferenceCurves.h"

namespace {

constexpr double kRate = 44100.0;

CorrectionDesign::Inputs guitar_inputs() {
  const reference::Curves c = reference::guitar_curves();
  CorrectionDesign::Inputs in;
  in.n = 120;
  in.sample_rate = kRate;
  for (int i = 0; i < 120; ++i) {
    in.measured[i] = c.measured[i];
    in.target[i] = c.target[i];
    in.band_freq[i] = c.freq[i];
  }
  return in;
}

// A -90 dB notch at 1 kHz: below the sections' -80 dB floor, so the fit never converges; it stops
// where its gains stop changing.
void BM_DesignDeepCut(benchmark::State& state) {
  CorrectionDesign::Inputs in = guitar_inputs();
  int band = 0;
  while (in.band_freq[band] < 1000.0) ++band;
  in.target[band] *= std::pow(10.0, -90 / 20.0);
  auto design = std::make_unique<CorrectionDesign>();
  Cascade::Coefficients k;
  for (auto _ : state) {
    design->fit(in);
    design->build_sections(kRate, k);
    benchmark::DoNotOptimize(k.a[0]);
  }
  state.counters["fit_iterations"] = design->iterations();
  state.counters["settled"] = design->outcome() == CorrectionDesign::Outcome::kSettled;
}
BENCHMARK(BM_DesignDeepCut)->Unit(benchmark::kMillisecond);

// A left-button line drawn across 20 bands: 20 requests in a row, each superseding the design in
// progress, then the wait for the last one to be published.
void BM_DesignStroke(benchmark::State& state) {
  const CorrectionDesign::Inputs start = guitar_inputs();
  auto design = std::make_unique<CorrectionDesign>();
  auto k = std::make_unique<Cascade::Coefficients>();
  int published = 0;
  DesignThread thread(
      [&](const CorrectionDesign::Inputs& in, DesignThread::Kind, const std::atomic<bool>& stop) {
        if (!design->fit(in, CorrectionDesign::kBoundIterations, &stop))
          return design->outcome() != CorrectionDesign::Outcome::kStopped;
        design->build_sections(in.sample_rate, *k);
        ++published;
        return true;
      });
  auto in = std::make_unique<CorrectionDesign::Inputs>(start);
  for (auto _ : state) {
    *in = start;
    for (int step = 0; step < 20; ++step) {
      const int band = 40 + step;
      in->target[band] = start.target[band] * std::pow(10.0, -0.4 * step / 20.0);  // down to -8 dB
      thread.request(*in, DesignThread::Kind::kFinal);
    }
    thread.wait();
  }
  state.counters["published_per_stroke"] = benchmark::Counter(published, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_DesignStroke)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
