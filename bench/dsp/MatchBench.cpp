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
  double y1[4] = {}, y2[4] = {}, c[4];
  constexpr double r = 0.995;
  for (int m = 0; m < 4; ++m)
    c[m] = 2 * r * std::cos(2 * std::numbers::pi * 110.0 * std::pow(3.0, m + 0.3 * seed) / kRate);
  for (double& v : x) {
    seed = seed * 1664525u + 1013904223u;
    const double w = (seed >> 8) / 8388608.0 - 1.0;
    double out = 0.3 * w;
    for (int m = 0; m < 4; ++m) {
      const double y = w + c[m] * y1[m] - r * r * y2[m];
      y2[m] = y1[m];
      y1[m] = y;
      out += 0.01 * y;
    }
    v = 0.2 * std::tanh(out);
  }
  return x;
}

struct Bands {
  double freq[120], edge[120], calibration[120];
  Bands() {
    for (int i = 0; i < 120; ++i) {
      freq[i] = 440.0 * std::pow(2.0, (i - 53) / 12.0);
      edge[i] = 440.0 * std::pow(2.0, (i - 52.5) / 12.0);
      calibration[i] = 1.0;
    }
  }
};

void analyse(LongTermSpectrum& spectrum, const std::vector<double>& x, const Bands& bands) {
  spectrum.start(bands.freq, bands.edge, 120, kRate);
  for (size_t done = 0; done < x.size(); done += 16384)
    spectrum.add(x.data() + done, std::min<int64_t>(16384, int64_t(x.size() - done)), 1);
  spectrum.finish(bands.calibration);
}

// One recording's analysis alone.
void BM_LongTermSpectrum60s(benchmark::State& state) {
  const Bands bands;
  const std::vector<double> x = coloured_noise(1);
  LongTermSpectrum spectrum;
  for (auto _ : state) {
    analyse(spectrum, x, bands);
    benchmark::DoNotOptimize(spectrum.levels()[0]);
  }
}
BENCHMARK(BM_LongTermSpectrum60s)->Unit(benchmark::kMillisecond);

void BM_Match60s(benchmark::State& state) {
  const Bands bands;
  const std::vector<double> source = coloured_noise(1), reference = coloured_noise(2);
  LongTermSpectrum a, b;
  SpectrumMatch match;
  for (auto _ : state) {
    analyse(a, source, bands);
    analyse(b, reference, bands);
    match.match(a, b, bands.freq, kRate);
    benchmark::DoNotOptimize(match.target_shape()[0]);
  }
  state.counters["rms_before_db"] = match.rms_before_db(82.0, 8400.0);
  state.counters["rms_after_db"] = match.rms_after_db(82.0, 8400.0);
}
BENCHMARK(BM_Match60s)->Unit(benchmark::kMillisecond);

}  // namespace
