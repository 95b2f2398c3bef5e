#include "engine/CorrectionDesign.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>

#include "engine/SimdLevel.h"

const double CorrectionDesign::kTableRate[kTableRates] = {44056, 44100, 47250,  48000,  50000,  50400,
                                                          88200, 96000, 176400, 192000, 352800, 384000};

namespace {

// One iteration of the fit after the error test: each section's gain moves by a twentieth of its
// band's remaining log error, its Q and W follow, and for every band centre j the cascade's
// magnitude is the product over sections i of 1 + P_i / (1 + W_i M[j][i]), in the order
// i = 0 .. n-1; then the corrected curve. The loops run across bands so that they vectorise; every
// element still sees the literal operations in the literal order, so every kernel gives the same bits.
inline __attribute__((always_inline)) void step_body(const double* __restrict mt,
                                                     const double* __restrict err,
                                                     const double* __restrict measured, double q0, int n,
                                                     double* __restrict gain, double* __restrict q,
                                                     double* __restrict corrected) {
  alignas(64) double p[CorrectionDesign::kMaxBands], w[CorrectionDesign::kMaxBands],
      prod[CorrectionDesign::kMaxBands];
  for (int i = 0; i < n; ++i) {
    // A section held at the -80 dB floor that is asked to cut further stays there.
    if (gain[i] == -0.9999 && err[i] + 1 <= 1.0) continue;
    gain[i] = std::max(-0.9999, (gain[i] + 1) * std::pow(err[i] + 1, 0.05) - 1);
  }
  for (int i = 0; i < n; ++i) {
    p[i] = (gain[i] + 2) * gain[i];
    q[i] = std::sqrt(gain[i] + 1) * q0;
    w[i] = q[i] * q[i];
  }
  for (int j = 0; j < n; ++j) prod[j] = 1.0;
  for (int i = 0; i < n; ++i) {
    const double pi = p[i], wi = w[i];
    const double* __restrict row = mt + i * n;
    for (int j = 0; j < n; ++j) prod[j] *= 1 + pi / (1 + wi * row[j]);
  }
  for (int j = 0; j < n; ++j) corrected[j] = measured[j] * std::sqrt(prod[j]);
}

// Relative error of every band; true when every band is within the tolerance.
inline __attribute__((always_inline)) bool error_body(const double* __restrict goal,
                                                      const double* __restrict corrected, int n,
                                                      double* __restrict err) {
  int outside = 0;
  for (int i = 0; i < n; ++i) {
    err[i] = goal[i] / corrected[i] - 1;
    outside += !(std::fabs(err[i]) <= CorrectionDesign::kTolerance);
  }
  return outside == 0;
}

struct Kernels {
  void (*step)(const double*, const double*, const double*, double, int, double*, double*, double*);
  bool (*error)(const double*, const double*, int, double*);
};

#define RESONIX_DESIGN_KERNELS(suffix, attr)                                                             \
  attr void step_##suffix(const double* mt, const double* err, const double* measured, double q0, int n, \
                          double* gain, double* q, double* corrected) {                                  \
    step_body(mt, err, measured, q0, n, gain, q, corrected);                                             \
  }                                                                                                      \
  attr bool error_##suffix(const double* goal, const double* corrected, int n, double* err) {            \
    return error_body(goal, corrected, n, err);                                                          \
  }

RESONIX_DESIGN_KERNELS(base, )
#if defined(__x86_64__)
RESONIX_DESIGN_KERNELS(avx2, __attribute__((target("avx2"))))
RESONIX_DESIGN_KERNELS(avx512, __attribute__((target("avx512f,avx512dq,avx512vl,avx512bw"))))
#endif

Kernels pick_kernels() {
#if defined(__x86_64__)
  if (simd_level() == SimdLevel::kAvx512) return {step_avx512, error_avx512};
  if (simd_level() == SimdLevel::kAvx2) return {step_avx2, error_avx2};
#endif
  return {step_base, error_base};
}

const Kernels kernels = pick_kernels();

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
                           double sample_rate, int bound, const std::atomic<bool>* stop) {
  if (!measured || !target || !band_freq || n < 1 || n > kMaxBands || bound < 1 ||
      !(std::isfinite(sample_rate) && sample_rate > 0.0)) {
    outcome_ = Outcome::kRefused;
    return false;
  }
  for (int i = 0; i < n; ++i) {
    if (!usable(measured[i]) || !usable(target[i]) || !usable(band_freq[i])) {
      outcome_ = Outcome::kRefused;
      return false;
    }
  }

  alignas(64) double goal[kMaxBands], err[kMaxBands];
  alignas(64) double fixed_measured[kMaxBands];
  for (int i = 0; i < n; ++i) {
    fixed_measured[i] = measured[i];
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
  const std::size_t gain_bytes = sizeof(double) * std::size_t(n);

  // The gains are the whole state of the loop (the curve and the test follow from them), so a gain
  // vector seen before means a cycle the test can never leave. The previous state catches a fixed
  // point at once, Brent's search any longer cycle; iteration 0 is left out because it skips the test.
  alignas(64) double seen[kMaxBands], previous[kMaxBands];
  int seen_at = 0, power = 1;
  bool cycling = false;
  int limit = std::min(bound, kMaxIterations);
  outcome_ = Outcome::kBounded;
  int iter = 0;
  while (iter < limit) {
    if (stop && stop->load(std::memory_order_relaxed)) {
      outcome_ = Outcome::kStopped;
      iterations_ = iter;
      return false;
    }
    if (kernels.error(goal, corrected_, n, err) && iter != 0) {
      outcome_ = Outcome::kConverged;
      break;
    }
    if (!cycling) std::memcpy(previous, gain_, gain_bytes);
    kernels.step(transposed_, err, fixed_measured, q0, n, gain_, q_, corrected_);
    ++iter;

    if (cycling) continue;
    const bool fixed = iter > 1 && std::memcmp(gain_, previous, gain_bytes) == 0;
    if (fixed || (seen_at > 0 && std::memcmp(gain_, seen, gain_bytes) == 0)) {
      // From here the literal loop goes round a cycle of this length until it runs out: stop at
      // the phase its last iteration would have reached.
      const int period = fixed ? 1 : iter - seen_at;
      limit = iter + (kMaxIterations - iter) % period;
      cycling = true;
      outcome_ = Outcome::kSettled;
    } else if (seen_at == 0 || iter - seen_at == power) {
      std::memcpy(seen, gain_, gain_bytes);
      if (seen_at > 0) power *= 2;
      seen_at = iter;
    }
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
  k.sample_rate = sample_rate;
  for (int i = 0; i < n_; ++i) {
    const double w = 2 * std::numbers::pi * freq_[i] / sample_rate;
    const double kk = std::sin(w) / q_[i];
    k.a[i] = gain_[i] * kk / (1 + kk);
    k.c[i] = (1 - kk) / (1 + kk);
    k.b[i] = -2 * std::cos(w) / (1 + kk);
  }
}
