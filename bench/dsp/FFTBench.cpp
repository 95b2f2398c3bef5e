// The analysis transform (2^19 points, forward) against FFTW with an estimate plan on the same data.
#include <benchmark/benchmark.h>
#include <fftw3.h>

#include <cstring>
#include <random>
#include <vector>

#include "engine/FFT.h"
#include "reference/ReferenceFFT.h"

namespace {

constexpr int kLog2 = 19;
constexpr int kPoints = 1 << kLog2;

std::vector<double> knock_like(unsigned seed) {
  std::mt19937 rng(seed);
  std::normal_distribution<double> noise(0.0, 0.1);
  std::vector<double> x(kPoints);
  for (int i = 0; i < kPoints; ++i) x[i] = noise(rng);
  return x;
}

// Copies the same signal in before every transform, so each one sees fresh data of the same kind.
template <class Transform>
void time_transform(benchmark::State& state, double* re, double* im, Transform&& transform) {
  const std::vector<double> input = knock_like(1);
  for (auto _ : state) {
    std::memcpy(re, input.data(), sizeof(double) * kPoints);
    std::memset(im, 0, sizeof(double) * kPoints);
    transform();
    benchmark::ClobberMemory();
  }
  state.counters["ms_per_transform"] = benchmark::Counter(
      1e-3 * double(state.iterations()), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_FFT19(benchmark::State& state) {
  std::vector<double> re(kPoints), im(kPoints);
  time_transform(state, re.data(), im.data(),
                 [&] { benchmark::DoNotOptimize(fft(re.data(), im.data(), kLog2, -1)); });
}
BENCHMARK(BM_FFT19)->Unit(benchmark::kMillisecond);

void BM_FFT19_Reference(benchmark::State& state) {
  std::vector<double> re(kPoints), im(kPoints);
  time_transform(state, re.data(), im.data(), [&] { reference::fft(re.data(), im.data(), kLog2, -1); });
}
BENCHMARK(BM_FFT19_Reference)->Unit(benchmark::kMillisecond);

// Split real and imaginary arrays, in place, like ours; FFTW's split transform is e^(-j...).
void BM_FFTW19(benchmark::State& state) {
  double* re = fftw_alloc_real(kPoints);
  double* im = fftw_alloc_real(kPoints);
  fftw_iodim dim{kPoints, 1, 1};
  fftw_plan plan = fftw_plan_guru_split_dft(1, &dim, 0, nullptr, re, im, re, im, FFTW_ESTIMATE);
  time_transform(state, re, im, [&] { fftw_execute(plan); });
  fftw_destroy_plan(plan);
  fftw_free(re);
  fftw_free(im);
}
BENCHMARK(BM_FFTW19)->Unit(benchmark::kMillisecond);

}  // namespace
