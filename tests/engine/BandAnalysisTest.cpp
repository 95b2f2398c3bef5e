#include "engine/BandAnalysis.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <random>
#include <vector>

#include "reference/ReferenceFFT.h"

namespace {

constexpr int kLog2 = 19;
constexpr int kLen = 1 << kLog2;

struct Grid {
  double freq[120], edge[120], cal[120];
  Grid() {
    for (int i = 0; i < 120; ++i) {
      freq[i] = 440.0 * std::pow(2.0, (i - 53) / 12.0);
      edge[i] = 440.0 * std::pow(2.0, (i - 53 + 0.5) / 12.0);
      cal[i] = 1.0;
    }
  }
};

// Sines at the centres of the given bands, plus a little noise, at recording rate `rate`.
std::vector<double> sines(const std::vector<int>& bands, const Grid& g, double rate, double amplitude) {
  std::vector<double> x(2 * std::size_t(kLen), 0.0);
  std::mt19937 rng(11);
  std::normal_distribution<double> noise(0.0, 1e-4);
  for (int t = 0; t < kLen; ++t) {
    double v = noise(rng);
    for (int b : bands) v += amplitude * std::sin(2 * std::numbers::pi * g.freq[b] * t / rate);
    x[t] = v;
  }
  return x;
}

std::vector<int> loudest(const BandAnalysis& a, int count) {
  std::vector<int> order(120);
  for (int i = 0; i < 120; ++i) order[i] = i;
  std::partial_sort(order.begin(), order.begin() + count, order.end(),
                    [&](int l, int r) { return a.levels()[l] > a.levels()[r]; });
  order.resize(count);
  std::sort(order.begin(), order.end());
  return order;
}

}  // namespace

TEST(BandAnalysis, BinsCoverTheGridAtEveryRecordingRate) {
  const Grid g;
  BandAnalysis a, b;
  a.set_bins(g.freq, g.edge, 120, 44100.0, kLen);
  b.set_bins(g.freq, g.edge, 120, 88200.0 * 0.5, kLen);
  EXPECT_TRUE(std::equal(a.lo(), a.lo() + 120, b.lo()));
  EXPECT_TRUE(std::equal(a.hi(), a.hi() + 120, b.hi()));
  EXPECT_EQ(a.lo()[53], int(440.0 * kLen / 44100.0));
  EXPECT_EQ(a.hi()[119], a.lo()[119]);
  for (double rate : {44056.0, 48000.0, 40000.0, 79999.0}) {
    a.set_bins(g.freq, g.edge, 120, rate, kLen);
    for (int i = 0; i < 119; ++i) {
      EXPECT_LT(a.lo()[i], a.hi()[i]) << rate << " " << i;
      EXPECT_LT(a.hi()[i], a.lo()[i + 1]) << rate << " " << i;
    }
    EXPECT_LT(a.lo()[119], kLen / 2);
  }
}

TEST(BandAnalysis, TaperWeightsBothEnds) {
  std::vector<double> x(1000, 1.0);
  BandAnalysis::taper(x.data(), int(x.size()));
  const int w = 30;
  EXPECT_EQ(x[0], 0.0);
  EXPECT_EQ(x[999], 0.0);
  EXPECT_NEAR(x[w / 2], 1.0, 1e-12);
  EXPECT_NEAR(x[w - 1], 1.0 - std::cos((w - 1) * std::numbers::pi / w), 1e-15);
  EXPECT_GT(x[w - 1], 1.98);
  EXPECT_EQ(x[w], 1.0);
  EXPECT_EQ(x[999 - w], 1.0);
  EXPECT_EQ(x[999 - (w - 1)], x[w - 1]);
}

TEST(BandAnalysis, SinesAtBandCentresAreTheLoudestBands) {
  const Grid g;
  for (double rate : {44100.0, 48000.0}) {
    SCOPED_TRACE(rate);
    BandAnalysis a;
    a.set_bins(g.freq, g.edge, 120, rate, kLen);
    const std::vector<int> bands = {12, 40, 53, 77, 101};
    std::vector<double> x = sines(bands, g, rate, 0.15);
    ASSERT_EQ(a.analyse(x.data(), kLog2, g.cal), BandAnalysis::Result::ok);
    EXPECT_EQ(loudest(a, 5), bands);
    EXPECT_EQ(*std::max_element(a.levels(), a.levels() + 120), 1.0);
    // Equal sines give equal levels, and they stand well above the noise around them.
    for (int b : bands) {
      EXPECT_NEAR(a.levels()[b], 1.0, 0.05) << b;
      EXPECT_LT(a.levels()[b + 2], 0.05) << b;
    }
  }
}

TEST(BandAnalysis, CalibrationDividesEachBand) {
  Grid g;
  BandAnalysis a;
  a.set_bins(g.freq, g.edge, 120, 44100.0, kLen);
  std::vector<double> x = sines({30, 60}, g, 44100.0, 0.2);
  std::vector<double> copy = x;
  ASSERT_EQ(a.analyse(x.data(), kLog2, g.cal), BandAnalysis::Result::ok);
  const double ratio = a.levels()[60] / a.levels()[30];
  g.cal[60] = 2.0;  // this microphone is 6 dB hot at band 60
  ASSERT_EQ(a.analyse(copy.data(), kLog2, g.cal), BandAnalysis::Result::ok);
  EXPECT_NEAR(a.levels()[60] / a.levels()[30], ratio / 2.0, 1e-9);
}

TEST(BandAnalysis, ClippedNonNumericAndSilentRecordingsAreRefused) {
  const Grid g;
  BandAnalysis a;
  a.set_bins(g.freq, g.edge, 120, 44100.0, kLen);
  for (double peak :
       {1.0, -1.0, 1.5, std::numeric_limits<double>::quiet_NaN(), -std::numeric_limits<double>::infinity()}) {
    std::vector<double> x = sines({50}, g, 44100.0, 0.5);
    x[kLen - 1] = peak;
    EXPECT_EQ(a.analyse(x.data(), kLog2, g.cal), BandAnalysis::Result::too_loud) << peak;
  }
  EXPECT_TRUE(BandAnalysis::clipped(std::vector<double>{0.0, 1.0}.data(), 2));
  EXPECT_FALSE(BandAnalysis::clipped(std::vector<double>{0.0, 0.99999999, -0.99999999}.data(), 3));

  std::vector<double> silence(2 * std::size_t(kLen), 0.0);
  EXPECT_EQ(a.analyse(silence.data(), kLog2, g.cal), BandAnalysis::Result::too_silent);
  EXPECT_TRUE(std::all_of(a.levels(), a.levels() + 120, [](double v) { return v == 0.0; }));

  // A whisper far below the threshold is silence too; a calibration that divides it down as well.
  std::vector<double> whisper = sines({50}, g, 44100.0, 1e-9);
  for (int t = 0; t < kLen; ++t) whisper[t] = 1e-9 * std::sin(0.3 * t);
  EXPECT_EQ(a.analyse(whisper.data(), kLog2, g.cal), BandAnalysis::Result::too_silent);
}

// The levels from the real-input transform equal those from the literal complex transform of the
// whole recording, band by band, to rounding.
TEST(BandAnalysis, LevelsEqualTheLiteralComplexTransform) {
  const Grid g;
  BandAnalysis a;
  a.set_bins(g.freq, g.edge, 120, 48000.0, kLen);
  std::mt19937 rng(3);
  std::normal_distribution<double> noise(0.0, 0.2);
  std::vector<double> x(2 * std::size_t(kLen), 0.0);
  for (int t = 0; t < kLen; ++t) x[t] = std::clamp(noise(rng) * std::exp(-t / 60000.0), -0.9, 0.9);

  std::vector<double> re(x.begin(), x.begin() + kLen), im(kLen, 0.0);
  BandAnalysis::taper(re.data(), kLen);
  reference::fft(re.data(), im.data(), kLog2, 0);
  double expect[120], top = 0.0;
  for (int i = 0; i < 120; ++i) {
    double s = 0.0;
    for (int k = i == 0 ? a.lo()[0] : a.hi()[i - 1]; k < a.hi()[i]; ++k) s += re[k] * re[k] + im[k] * im[k];
    expect[i] = std::sqrt(s);
    top = std::max(top, expect[i]);
  }
  ASSERT_EQ(a.analyse(x.data(), kLog2, g.cal), BandAnalysis::Result::ok);
  for (int i = 0; i < 120; ++i) EXPECT_NEAR(a.levels()[i], expect[i] / top, 1e-12 * expect[i] / top) << i;
}
