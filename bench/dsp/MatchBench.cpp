// `resonix match` without the file reading: two minute-long recordings through their long-term
// band analysis, then the matched, refined correction.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <numbers>
#include <vector>

#include "engine/LongTermSpectrum.h"
#include "engine/SpectrumMatch.h"

namespace {

constexpr double kRate = 44100.0;
constexpr double kSeconds = 60.0;

// Noise through a few two-pole resonances: broadband, coloured, different for each seed.
std::vector<double> coloured_noise(uint32_t seed) {
  std::vector<double> x(static_cast<size_t>(kRate * kSeconds));
  double y1[4] = {}, y2[4] = {};
  for (double& v : x) {
    seed = seed * 1664525u + 1013904223u;
    const double w = (seed >> 8) / 8388608.0 - 1.0;
    double out = 0.3 * w;
    for (int m = 0; m < 4; ++m) {
      const double f = 110.0 * std::pow(3.0, m + 0.2 * (seed % 3)), r = 0.995;
      const double y = w + 2 * r * std::cos(2 * std::numbers::pi * f / kRate) * y1[m] - r * r * y2[m];
      y2[m] = y1[m];
      y1[m] = y;
      out += 0.01 * y;
    }
    v = 0.2 * std::tanh(out);
  }
  return x;
}

void BM_Match60s(benchmark::State& state) {
  double freq[120], edge[120], calibration[120];
  for (int i = 0; i < 120; ++i) {
    freq[i] = 440.0 * std::pow(2.0, (i - 53) / 12.0);
    edge[i] = 440.0 * std::pow(2.0, (i - 52.5) / 12.0);
    calibration[i] = 1.0;
  }
  const std::vector<double> source = coloured_noise(1), reference = coloured_noise(2);
  LongTermSpectrum a, b;
  SpectrumMatch match;
  for (auto _ : state) {
    for (auto [spectrum, x] : {std::pair{&a, &source}, std::pair{&b, &reference}}) {
      spectrum->start(freq, edge, 120, kRate);
      for (size_t done = 0; done < x->size(); done += 16384)
        spectrum->add(x->data() + done, std::min<int64_t>(16384, int64_t(x->size() - done)), 1);
      spectrum->finish(calibration);
    }
    match.match(a, b, freq, kRate);
    benchmark::DoNotOptimize(match.target_shape()[0]);
  }
  state.counters["rms_before_db"] = match.rms_before_db(82.0, 8400.0);
  state.counters["rms_after_db"] = match.rms_after_db(82.0, 8400.0);
}
BENCHMARK(BM_Match60s)->Unit(benchmark::kMillisecond);

}  // namespace
