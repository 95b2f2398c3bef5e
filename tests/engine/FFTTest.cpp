#include "engine/FFT.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>
#include <vector>

#include "reference/ReferenceFFT.h"

namespace {

struct Signal {
  std::vector<double> re, im;
};

Signal random_signal(int m, unsigned seed) {
  std::mt19937_64 rng(seed);
  std::uniform_real_distribution<double> u(-1.0, 1.0);
  Signal s{std::vector<double>(std::size_t(1) << m), std::vector<double>(std::size_t(1) << m)};
  for (std::size_t i = 0; i < s.re.size(); ++i) {
    s.re[i] = u(rng);
    s.im[i] = u(rng);
  }
  return s;
}

TEST(FFT, BitReversal) {
  EXPECT_EQ(ibitr(1, 3), 4);
  EXPECT_EQ(ibitr(6, 3), 3);
  EXPECT_EQ(ibitr(5, 1), 1);
  EXPECT_EQ(ibitr(12345, 0), 0);
  EXPECT_EQ(ibitr(7, -2), 0);
  EXPECT_EQ(ibitr(0xF1, 4), 8);  // bits above nu - 1 ignored
  EXPECT_EQ(ibitr(1, 19), 1 << 18);
}

TEST(FFT, OnePointIsUnchangedBothWays) {
  double re = 0.75, im = -2.5;
  ASSERT_TRUE(fft(&re, &im, 0, -1));
  EXPECT_EQ(re, 0.75);
  EXPECT_EQ(im, -2.5);
  ASSERT_TRUE(fft(&re, &im, 0, 1));
  EXPECT_EQ(re, 0.75);
  EXPECT_EQ(im, -2.5);
}

TEST(FFT, ImpulseAndCosineHaveTheirKnownSpectra) {
  const int m = 10, n = 1 << m;
  std::vector<double> re(n, 0.0), im(n, 0.0);
  re[0] = 1.0;
  ASSERT_TRUE(fft(re.data(), im.data(), m, 0));
  for (int k = 0; k < n; ++k) {
    EXPECT_EQ(re[k], 1.0);
    EXPECT_EQ(im[k], 0.0);
  }
  const int k0 = 37;
  for (int t = 0; t < n; ++t) {
    re[t] = std::cos(2 * std::numbers::pi * k0 * t / n);
    im[t] = 0.0;
  }
  ASSERT_TRUE(fft(re.data(), im.data(), m, -1));
  for (int k = 0; k < n; ++k) {
    const double expect = (k == k0 || k == n - k0) ? n / 2.0 : 0.0;
    EXPECT_NEAR(re[k], expect, 1e-9) << k;
    EXPECT_NEAR(im[k], 0.0, 1e-9) << k;
  }
}

// The fast transform must give the analysis exactly what the textbook loop gives, at every size
// (each size exercises a different mix of fused, blocked and single stages).
TEST(FFT, MatchesLiteralTransformBitForBit) {
  for (int m : {1, 2, 3, 4, 5, 8, 11, 12, 13, 15, 16, 17, 19}) {
    for (int dir : {-1, 1}) {
      Signal fast = random_signal(m, 100 + m), lit = fast;
      ASSERT_TRUE(fft(fast.re.data(), fast.im.data(), m, dir));
      reference::fft(lit.re.data(), lit.im.data(), m, dir);
      std::size_t mismatches = 0;
      for (std::size_t i = 0; i < fast.re.size(); ++i)
        mismatches += fast.re[i] != lit.re[i] || fast.im[i] != lit.im[i];
      EXPECT_EQ(mismatches, 0u) << "m=" << m << " dir=" << dir;
    }
  }
}

// The analysis's real-input transform against the complex one, at the smallest sizes (where the split
// has no or one inner pair) and at the measurement's.
TEST(FFT, RealInputTransformGivesTheComplexSpectrum) {
  for (int m : {1, 2, 3, 6, 13, 19}) {
    const std::size_t n = std::size_t(1) << m, h = n / 2;
    Signal s = random_signal(m, 300 + m);
    std::fill(s.im.begin(), s.im.end(), 0.0);
    std::vector<double> buf(2 * n);
    std::copy(s.re.begin(), s.re.end(), buf.begin());
    ASSERT_TRUE(fft_real(buf.data(), m));
    ASSERT_TRUE(fft(s.re.data(), s.im.data(), m, -1));
    double scale = 0.0, worst = 0.0;
    for (std::size_t k = 0; k < h; ++k) {
      scale = std::max(scale, std::hypot(s.re[k], s.im[k]));
      worst = std::max(worst, std::hypot(buf[k] - s.re[k], buf[h + k] - s.im[k]));
    }
    EXPECT_LE(worst, 1e-13 * scale) << "m=" << m;
  }
  double one[2] = {1, 0};
  EXPECT_FALSE(fft_real(one, 0));
  EXPECT_FALSE(fft_real(nullptr, 4));
}

TEST(FFT, InverseUndoesForward) {
  const int m = 14;
  const Signal original = random_signal(m, 7);
  Signal s = original;
  ASSERT_TRUE(fft(s.re.data(), s.im.data(), m, -1));
  ASSERT_TRUE(fft(s.re.data(), s.im.data(), m, 1));
  for (std::size_t i = 0; i < s.re.size(); ++i) {
    EXPECT_NEAR(s.re[i], original.re[i], 1e-13);
    EXPECT_NEAR(s.im[i], original.im[i], 1e-13);
  }
}

TEST(FFT, RefusesUnusableArguments) {
  double re[2] = {1, 2}, im[2] = {0, 0};
  EXPECT_FALSE(fft(nullptr, im, 1, -1));
  EXPECT_FALSE(fft(re, nullptr, 1, -1));
  EXPECT_FALSE(fft(re, im, -1, -1));
  EXPECT_FALSE(fft(re, im, 25, -1));
  EXPECT_EQ(re[0], 1.0);
  EXPECT_EQ(re[1], 2.0);
}

}  // namespace
