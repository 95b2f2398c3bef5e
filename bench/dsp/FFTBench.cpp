// The analysis transform (2^19 points, forward) against FFTW with an estimate plan on the same data.
// FFTW is given the general complex transform, which is what the analysis asked of it before.
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

// The analysis transform: the real recording through the half-size complex transform.
void BM_FFT19(benchmark::State& state) {
  std::vector<double> buf(2 * std::size_t(kPoints));
  time_transform(state, buf.data(), buf.data() + kPoints,
                 [&] { benchmark::DoNotOptimize(fft_real(buf.data(), kLog2)); });
}
BENCHMARK(BM_FFT19)->Unit(benchmark::kMillisecond);

// The general complex transform of the same size, bit for bit the literal one.
void BM_FFT19_Complex(benchmark::State& state) {
  std::vector<double> re(kPoints), im(kPoints);
  time_transform(state, re.data(), im.data(),
                 [&] { benchmark::DoNotOptimize(fft(re.data(), im.data(), kLog2, -1)); });
}
BENCHMARK(BM_FFT19_Complex)->Unit(benchmark::kMillisecond);

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

namespace {

// For scale: FFTW's own real-input transform of the recording (estimate plan, bins 0 .. n/2).
void BM_FFTW19_Real(benchmark::State& state) {
  double* x = fftw_alloc_real(kPoints);
  fftw_complex* spectrum = fftw_alloc_complex(kPoints / 2 + 1);
  fftw_plan plan = fftw_plan_dft_r2c_1d(kPoints, x, spectrum, FFTW_ESTIMATE);
  std::vector<double> unused(kPoints);
  time_transform(state, x, unused.data(), [&] { fftw_execute(plan); });
  fftw_destroy_plan(plan);
  fftw_free(spectrum);
  fftw_free(x);
}
BENCHMARK(BM_FFTW19_Real)->Unit(benchmark::kMillisecond);

}  // namespace
