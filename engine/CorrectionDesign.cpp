#include "engine/CorrectionDesign.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>

#include "engine/SimdLevel.h"

const double CorrectionDesign::kTableRate[kTableRates] = {44056, 44100, 47250,  48000,  50000,  50400,
                                                          88200, 96000, 176400, 192000, 352800, 384000};

namespace {

// Magnitude of the whole cascade at every band centre: for every band j the product over sections i
// of 1 + P_i / (1 + W_i M[j][i]), in the order i = 0 .. n-1. The loop runs across j (rows of the
// transposed matrix) so that it vectorises; each j still sees the same operations in the same order.
inline __attribute__((always_inline)) void cascade_response_body(const double* __restrict mt,
                                                                 const double* __restrict p,
                                                                 const double* __restrict w, int n,
                                                                 double* __restrict prod) {
  for (int j = 0; j < n; ++j) prod[j] = 1.0;
  for (int i = 0; i < n; ++i) {
    const double pi = p[i], wi = w[i];
    const double* __restrict row = mt + i * n;
    for (int j = 0; j < n; ++j) prod[j] *= 1 + pi / (1 + wi * row[j]);
  }
}

using ResponseKernel = void (*)(const double*, const double*, const double*, int, double*);

void cascade_response_base(const double* mt, const double* p, const double* w, int n, double* prod) {
  cascade_response_body(mt, p, w, n, prod);
}
#if defined(__x86_64__)
__attribute__((target("avx2"))) void cascade_response_avx2(const double* mt, const double* p, const double* w,
                                                           int n, double* prod) {
  cascade_response_body(mt, p, w, n, prod);
}
__attribute__((target("avx512f,avx512dq,avx512vl,avx512bw"))) void cascade_response_avx512(
    const double* mt, const double* p, const double* w, int n, double* prod) {
  cascade_response_body(mt, p, w, n, prod);
}
#endif

ResponseKernel pick_response_kernel() {
#if defined(__x86_64__)
  if (simd_level() == SimdLevel::kAvx512) return cascade_response_avx512;
  if (simd_level() == SimdLevel::kAvx2) return cascade_response_avx2;
#endif
  return cascade_response_base;
}

const ResponseKernel cascade_response = pick_response_kernel();

bool usable(double v) {
  return std::isfinite(v) && v > 0.0;
}

}  // namespace

double CorrectionDesign::matrix_rate(double sample_rate) {
  for (double r : kTableRate)
    if (r - 1 < sample_rate && sample_rate < r + 1) return r;
  return sample_rate;
}

void CorrectionDesign::build_matrix(const double* band_freq, int n, double rate, double* out) {
  double c[kMaxBands], s[kMaxBands];
  for (int x = 0; x < n; ++x) {
    const double w = 2 * std::numbers::pi * band_freq[x] / rate;
    c[x] = std::cos(w);
    s[x] = std::sin(w);
  }
  for (int j = 0; j < n; ++j) {
    for (int i = 0; i < n; ++i) {
      const double d = (c[j] - c[i]) / (s[i] * s[j]);
      out[j * n + i] = d * d;
    }
  }
}

void CorrectionDesign::use_matrix(const double* band_freq, int n, double rate) {
  if (n == n_ && rate == matrix_rate_ &&
      std::memcmp(band_freq, matrix_freq_, sizeof(double) * std::size_t(n)) == 0)
    return;
  build_matrix(band_freq, n, rate, matrix_);
  for (int j = 0; j < n; ++j)
    for (int i = 0; i < n; ++i) transposed_[i * n + j] = matrix_[j * n + i];
  std::memcpy(matrix_freq_, band_freq, sizeof(double) * std::size_t(n));
  matrix_rate_ = rate;
}

bool CorrectionDesign::fit(const double* measured, const double* target, const double* band_freq, int n,
                           double sample_rate) {
  if (!measured || !target || !band_freq || n < 1 || n > kMaxBands) return false;
  if (!(std::isfinite(sample_rate) && sample_rate > 0.0)) return false;
  for (int i = 0; i < n; ++i)
    if (!usable(measured[i]) || !usable(target[i]) || !usable(band_freq[i])) return false;

  double goal[kMaxBands], err[kMaxBands];
  alignas(64) double p[kMaxBands], w[kMaxBands], prod[kMaxBands];
  for (int i = 0; i < n; ++i) {
    goal[i] = target[i];
    if (goal[i] / measured[i] > kMaxBoost) goal[i] = measured[i] * kMaxBoost;
  }
  // A cut anywhere in the lowest quarter raises the whole goal; the output gain takes the cut back.
  double s = 1.0;
  if (n >= 4)
    for (int i = 0; i < n / 4; ++i) s = std::min(s, goal[i] / measured[i]);
  for (int i = 0; i < n; ++i) goal[i] /= s;

  use_matrix(band_freq, n, matrix_rate(sample_rate));
  n_ = n;
  std::memcpy(freq_, band_freq, sizeof(double) * std::size_t(n));
  for (int i = 0; i < n; ++i) {
    gain_[i] = 0.0;
    corrected_[i] = measured[i];
  }
  const double q0 = 0.1 * n;
  int iter = 0;
  while (iter < kMaxIterations) {
    bool done = iter != 0;
    for (int i = 0; i < n; ++i) {
      err[i] = goal[i] / corrected_[i] - 1;
      done = done && std::fabs(err[i]) <= kTolerance;
    }
    if (done) break;
    for (int i = 0; i < n; ++i) {
      // Each step moves a section's log gain by a twentieth of its band's remaining log error.
      gain_[i] = std::max(-0.9999, (gain_[i] + 1) * std::pow(err[i] + 1, 0.05) - 1);
      p[i] = (gain_[i] + 2) * gain_[i];
    }
    for (int i = 0; i < n; ++i) {
      q_[i] = std::sqrt(gain_[i] + 1) * q0;
      w[i] = q_[i] * q_[i];
    }
    cascade_response(transposed_, p, w, n, prod);
    for (int j = 0; j < n; ++j) corrected_[j] = measured[j] * std::sqrt(prod[j]);
    ++iter;
  }
  iterations_ = iter;
  for (int i = 0; i < n; ++i) {
    corrected_[i] *= s;
    // Differences under half a pixel of the plot are not worth a curve of their own.
    const double d = (std::log10(corrected_[i]) - std::log10(target[i])) * 147;
    if (-0.5 < d && d < 0.5) corrected_[i] = target[i];
  }
  out_gain_ = s;
  return true;
}

void CorrectionDesign::build_sections(double sample_rate, Cascade::Coefficients& k) const {
  k.nsections = n_;
  k.out_gain = out_gain_;
  for (int i = 0; i < n_; ++i) {
    const double w = 2 * std::numbers::pi * freq_[i] / sample_rate;
    const double kk = std::sin(w) / q_[i];
    k.a[i] = gain_[i] * kk / (1 + kk);
    k.c[i] = (1 - kk) / (1 + kk);
    k.b[i] = -2 * std::cos(w) / (1 + kk);
  }
}
