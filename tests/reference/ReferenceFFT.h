#pragma once
// The transform written literally: tables built per call, twiddles by bit reversal per butterfly.
#include <cmath>
#include <numbers>
#include <utility>
#include <vector>

namespace reference {

inline int ibitr(int j, int nu) {
  int r = 0;
  for (int b = 0; b < nu; ++b) {
    r = (r << 1) | (j & 1);
    j >>= 1;
  }
  return r;
}

inline void fft(double* re, double* im, int m, int dir) {
  const int n = 1 << m;
  std::vector<double> S(n), C(n);
  for (int k = 0; k < n; ++k) {
    S[k] = std::sin(2 * std::numbers::pi * k / n);
    C[k] = std::sin(2 * std::numbers::pi * k / n + std::numbers::pi / 2);
  }
  for (int l = 0; l < m; ++l) {
    const int half = n >> (l + 1);
    for (int base = 0; base < n; base += 2 * half) {
      for (int k = base; k < base + half; ++k) {
        const int p = ibitr(k >> (m - 1 - l), m);
        const double c = C[p];
        const double s = dir > 0 ? -S[p] : S[p];
        const double tr = re[k + half] * c + im[k + half] * s;
        const double ti = im[k + half] * c - re[k + half] * s;
        re[k + half] = re[k] - tr;
        im[k + half] = im[k] - ti;
        re[k] = re[k] + tr;
        im[k] = im[k] + ti;
      }
    }
  }
  for (int k = 0; k < n; ++k) {
    const int j = ibitr(k, m);
    if (k < j) {
      std::swap(re[k], re[j]);
      std::swap(im[k], im[j]);
    }
  }
  if (dir > 0) {
    for (int k = 0; k < n; ++k) {
      re[k] /= n;
      im[k] /= n;
    }
  }
}

}  // namespace reference
