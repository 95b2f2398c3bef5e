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

// Milliseconds per transform, as a counter beside the timing.
void report_ms(benchmark::State& state) {
  state.counters["ms_per_transform"] =
      benchmark::Counter(1e-3 * double(state.iterations()), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

std::vector<double> knock_like(unsigned seed) {
  std::mt19937 rng(seed);
  std::normal_distribution<double> noise(0.0, 0.1);
  std::vector<double> x(kPoints);
  for (int i = 0; i < kPoints; ++i) x[i] = noise(rng);
  return x;
}

void BM_FFT19(benchmark::State& state) {
  const std::vector<double> input = knock_like(1);
  std::vector<double> re(kPoints), im(kPoints);
  for (auto _ : state) {
    std::memcpy(re.data(), input.data(), sizeof(double) * kPoints);
    std::memset(im.data(), 0, sizeof(double) * kPoints);
    benchmark::DoNotOptimize(fft(re.data(), im.data(), kLog2, -1));
    benchmark::ClobberMemory();
  }
  report_ms(state);
}
BENCHMARK(BM_FFT19)->Unit(benchmark::kMillisecond);

void BM_FFT19_Reference(benchmark::State& state) {
  const std::vector<double> input = knock_like(1);
  std::vector<double> re(kPoints), im(kPoints);
  for (auto _ : state) {
    std::memcpy(re.data(), input.data(), sizeof(double) * kPoints);
    std::memset(im.data(), 0, sizeof(double) * kPoints);
    reference::fft(re.data(), im.data(), kLog2, -1);
    benchmark::ClobberMemory();
  }
  report_ms(state);
}
BENCHMARK(BM_FFT19_Reference)->Unit(benchmark::kMillisecond);

// Split real/imaginary arrays, in place, like ours. The copy-in is inside the loop for both.
void BM_FFTW19(benchmark::State& state) {
  const std::vector<double> input = knock_like(1);
  double* re = fftw_alloc_real(kPoints);
  double* im = fftw_alloc_real(kPoints);
  fftw_iodim dim{kPoints, 1, 1};
  // Forward with split arrays: swapping re and im gives e^(-j...) through the e^(+j...) convention.
  fftw_plan plan = fftw_plan_guru_split_dft(1, &dim, 0, nullptr, im, re, im, re, FFTW_ESTIMATE);
  for (auto _ : state) {
    std::memcpy(re, input.data(), sizeof(double) * kPoints);
    std::memset(im, 0, sizeof(double) * kPoints);
    fftw_execute(plan);
    benchmark::ClobberMemory();
  }
  report_ms(state);
  fftw_destroy_plan(plan);
  fftw_free(re);
  fftw_free(im);
}
BENCHMARK(BM_FFTW19)->Unit(benchmark::kMillisecond);

}  // namespace
