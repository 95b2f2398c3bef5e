#pragma once
// The correction design written literally: goal with the 20x limit, low-band normalisation, the
// iterative fit over the band matrix, the snap, and the section coefficients.
#include <algorithm>
#include <cmath>
#include <numbers>

namespace reference {

struct Design {
  double band_matrix[120][120];
  double corrected[120], band_gain[120], band_q[120];
  double coef_a[120], coef_b[120], coef_c[120];
  double out_gain = 1.0;
  int iterations = 0;
};

inline double band_freq(int i) {
  return 440 * std::pow(2.0, (i - 53) / 12.0);
}

inline void fill_matrix(Design& d, const double* freq, int n, double rate) {
  for (int j = 0; j < n; ++j) {
    for (int i = 0; i < n; ++i) {
      const double wj = 2 * std::numbers::pi * freq[j] / rate, wi = 2 * std::numbers::pi * freq[i] / rate;
      const double q = (std::cos(wj) - std::cos(wi)) / (std::sin(wi) * std::sin(wj));
      d.band_matrix[j][i] = q * q;
    }
  }
}

// `iterations` shortens the loop for tests that only need it run past a fixed point.
inline void run(Design& d, const double* measured, const double* target, const double* freq, int n,
                double sample_rate, int iterations = 1000000) {
  double L[120], e[120], P[120], W[120];
  for (int i = 0; i < n; ++i) {
    L[i] = target[i];
    if (L[i] / measured[i] > 20) L[i] = measured[i] * 20;
  }
  double s = 1.0;
  if (n >= 4)
    for (int i = 0; i < n / 4; ++i) s = std::min(s, L[i] / measured[i]);
  for (int i = 0; i < n; ++i) L[i] /= s;
  for (int i = 0; i < n; ++i) {
    d.band_gain[i] = 0;
    d.corrected[i] = measured[i];
  }
  const double q0 = 0.1 * n;
  int counter = 0;
  while (counter < iterations) {
    for (int i = 0; i < n; ++i) e[i] = L[i] / d.corrected[i] - 1;
    if (counter != 0) {
      bool all = true;
      for (int i = 0; i < n; ++i) all = all && std::fabs(e[i]) <= 0.005;
      if (all) break;
    }
    for (int i = 0; i < n; ++i) {
      d.band_gain[i] = std::max(-0.9999, (d.band_gain[i] + 1) * std::pow(e[i] + 1, 0.05) - 1);
      P[i] = (d.band_gain[i] + 2) * d.band_gain[i];
    }
    for (int i = 0; i < n; ++i) {
      d.band_q[i] = std::sqrt(d.band_gain[i] + 1) * q0;
      W[i] = d.band_q[i] * d.band_q[i];
    }
    for (int j = 0; j < n; ++j) {
      double prod = 1.0;
      for (int i = 0; i < n; ++i) prod *= 1 + P[i] / (1 + W[i] * d.band_matrix[j][i]);
      d.corrected[j] = measured[j] * std::sqrt(prod);
    }
    ++counter;
  }
  d.iterations = counter;
  for (int i = 0; i < n; ++i) d.corrected[i] *= s;
  for (int i = 0; i < n; ++i) {
    const double diff = (std::log10(d.corrected[i]) - std::log10(target[i])) * 147;
    if (-0.5 < diff && diff < 0.5) d.corrected[i] = target[i];
  }
  d.out_gain = s;
  for (int i = 0; i < n; ++i) {
    const double w = 2 * std::numbers::pi * freq[i] / sample_rate;
    const double k = std::sin(w) / d.band_q[i];
    d.coef_a[i] = d.band_gain[i] * k / (1 + k);
    d.coef_c[i] = (1 - k) / (1 + k);
    d.coef_b[i] = -2 * std::cos(w) / (1 + k);
  }
}

// Magnitude of the cascade at frequency f (Hz) for rate fs, from its coefficients.
inline double cascade_magnitude(const double* a, const double* b, const double* c, double out_gain, int n,
                                double f, double fs) {
  const double w = 2 * std::numbers::pi * f / fs;
  const double c1 = std::cos(w), s1 = std::sin(w), c2 = std::cos(2 * w), s2 = std::sin(2 * w);
  double mag = out_gain;
  for (int i = 0; i < n; ++i) {
    // H = 1 + a (1 - z^-2) / (1 + b z^-1 + c z^-2), z^-1 = e^-jw
    const double nr = 1 - c2, ni = s2;
    const double dr = 1 + b[i] * c1 + c[i] * c2, di = -(b[i] * s1 + c[i] * s2);
    const double den = dr * dr + di * di;
    const double qr = (nr * dr + ni * di) / den, qi = (ni * dr - nr * di) / den;
    mag *= std::hypot(1 + a[i] * qr, a[i] * qi);
  }
  return mag;
}

}  // namespace reference
