#include "engine/CorrectionDesign.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>

#include "reference/ReferenceCurves.h"
#include "reference/ReferenceDesign.h"

namespace {

using Grid = reference::BandGrid;

TEST(CorrectionDesignMatrix, ReproducesTheShippedFirstValuesAndShape) {
  const Grid g;
  auto m = std::make_unique<double[]>(120 * 120);
  CorrectionDesign::build_matrix(g.freq, 120, 44056, m.get());
  EXPECT_EQ(m[0], 0.0);
  EXPECT_EQ(m[1], 0.0033402018128950205);
  EXPECT_EQ(m[2], 0.013405437560102023);
  EXPECT_EQ(m[3], 0.03033019124408951);
  for (int j = 0; j < 120; ++j) {
    EXPECT_EQ(m[j * 120 + j], 0.0);
    for (int i = 0; i < 120; ++i) ASSERT_EQ(m[j * 120 + i], m[i * 120 + j]);
  }
  auto m88 = std::make_unique<double[]>(120 * 120);
  CorrectionDesign::build_matrix(g.freq, 120, 88200, m88.get());
  CorrectionDesign::build_matrix(g.freq, 120, 44100, m.get());
  EXPECT_NE(std::memcmp(m.get(), m88.get(), sizeof(double) * 120 * 120), 0);
}

TEST(CorrectionDesignMatrix, RatesNearTheTableSnapOthersAreExact) {
  EXPECT_EQ(CorrectionDesign::matrix_rate(44056.0), 44056.0);
  EXPECT_EQ(CorrectionDesign::matrix_rate(44100.6), 44100.0);
  EXPECT_EQ(CorrectionDesign::matrix_rate(47999.2), 48000.0);
  EXPECT_EQ(CorrectionDesign::matrix_rate(384000.0), 384000.0);
  EXPECT_EQ(CorrectionDesign::matrix_rate(64000.0), 64000.0);
  EXPECT_EQ(CorrectionDesign::matrix_rate(44101.0), 44101.0);
}

class CorrectionDesignFit : public ::testing::Test {
 protected:
  std::unique_ptr<CorrectionDesign> design = std::make_unique<CorrectionDesign>();
  Grid g;
};

TEST_F(CorrectionDesignFit, TargetEqualToMeasurementNeedsNoCorrection) {
  reference::Curves c = reference::guitar_curves();
  ASSERT_TRUE(design->fit(c.measured, c.measured, g.freq, 120, 44100));
  EXPECT_EQ(design->iterations(), 1);
  EXPECT_EQ(design->out_gain(), 1.0);
  Cascade::Coefficients k;
  design->build_sections(44100, k);
  EXPECT_EQ(k.nsections, 120);
  for (int i = 0; i < 120; ++i) {
    EXPECT_EQ(k.a[i], 0.0);
    EXPECT_EQ(design->corrected()[i], c.measured[i]);
  }
}

TEST_F(CorrectionDesignFit, BoostIsLimitedToTwentyTimes) {
  double measured[120], target[120];
  for (int i = 0; i < 120; ++i) measured[i] = target[i] = 0.1;
  target[70] = 10.0;  // 100x asked
  ASSERT_TRUE(design->fit(measured, target, g.freq, 120, 48000));
  EXPECT_NEAR(design->corrected()[70] / measured[70], 20.0, 20.0 * 0.005);
  EXPECT_GT(design->band_gain()[70], 5.0);
}

TEST_F(CorrectionDesignFit, CutInTheLowBandsBecomesTheOutputGain) {
  double measured[120], target[120];
  reference::Curves c = reference::guitar_curves();
  for (int i = 0; i < 120; ++i) {
    measured[i] = c.measured[i];
    target[i] = measured[i] * 0.5;
  }
  ASSERT_TRUE(design->fit(measured, target, g.freq, 120, 48000));
  EXPECT_EQ(design->out_gain(), 0.5);
  for (int i = 0; i < 120; ++i) {
    EXPECT_EQ(design->band_gain()[i], 0.0);
    EXPECT_EQ(design->corrected()[i], target[i]);
  }
}

// The vectorised fit is the literal one: same gains, Qs, curve and coefficients to the last bit.
TEST_F(CorrectionDesignFit, MatchesTheLiteralDesignBitForBit) {
  const reference::Curves c = reference::guitar_curves();
  for (double rate : {44100.0, 96000.0}) {
    auto ref = std::make_unique<reference::Design>();
    reference::fill_matrix(*ref, c.freq, 120, rate);
    reference::run(*ref, c.measured, c.target, c.freq, 120, rate);
    ASSERT_TRUE(design->fit(c.measured, c.target, c.freq, 120, rate));
    Cascade::Coefficients k;
    design->build_sections(rate, k);
    EXPECT_EQ(design->iterations(), ref->iterations);
    EXPECT_EQ(design->out_gain(), ref->out_gain);
    EXPECT_EQ(std::memcmp(design->matrix(), ref->band_matrix, sizeof ref->band_matrix), 0);
    for (int i = 0; i < 120; ++i) {
      ASSERT_EQ(design->corrected()[i], ref->corrected[i]) << i;
      ASSERT_EQ(design->band_gain()[i], ref->band_gain[i]) << i;
      ASSERT_EQ(design->band_q()[i], ref->band_q[i]) << i;
      ASSERT_EQ(k.a[i], ref->coef_a[i]) << i;
      ASSERT_EQ(k.b[i], ref->coef_b[i]) << i;
      ASSERT_EQ(k.c[i], ref->coef_c[i]) << i;
    }
  }
}

// What the plot calls "corrected" is what the filter does, at table rates and off them.
TEST_F(CorrectionDesignFit, FilterMagnitudeAgreesWithTheCorrectedCurve) {
  reference::Curves c = reference::guitar_curves();
  c.measured[100] *= 0.01;  // a notch deeper than the 20x limit: there corrected stays below target
  c.measured[101] *= 0.05;
  for (double rate : {44056.0, 44100.0, 48000.0, 64000.0, 96000.0, 192000.0}) {
    ASSERT_TRUE(design->fit(c.measured, c.target, c.freq, 120, rate));
    Cascade::Coefficients k;
    design->build_sections(rate, k);
    int checked = 0;
    for (int j = 0; j < 120; ++j) {
      const double mag = reference::cascade_magnitude(k.a, k.b, k.c, k.out_gain, 120, c.freq[j], rate);
      const double claimed = design->corrected()[j] / c.measured[j];
      if (design->corrected()[j] == c.target[j]) {
        // snapped: the filter is within half a plot pixel (1/294 decade) of the target
        EXPECT_NEAR(std::log10(mag * c.measured[j] / c.target[j]), 0.0, 1.0 / 294 + 0.0022)
            << rate << " " << j;
      } else {
        EXPECT_NEAR(mag / claimed, 1.0, 0.005) << rate << " band " << j;
        ++checked;
      }
    }
    EXPECT_GT(design->iterations(), 1);
    EXPECT_GT(checked, 0);
  }
}

// A target the filter cannot reach (a cut below the -80 dB floor) never converges; its gains stop
// changing, and from there the literal loop would only repeat itself to its 1,000,000th iteration.
// The fit stops there with the literal result, bit for bit: the literal loop, run a little past the
// same point, is still there one iteration later.
TEST_F(CorrectionDesignFit, AFitThatSettlesEndsWhereTheLiteralLoopEnds) {
  const reference::Curves c = reference::guitar_curves();
  double notch[120];
  for (int i = 0; i < 120; ++i) notch[i] = c.target[i];
  notch[68] *= std::pow(10.0, -90 / 20.0);  // about 1 kHz
  {
    const double* target = notch;
    ASSERT_TRUE(design->fit(c.measured, target, c.freq, 120, 44100));
    ASSERT_EQ(design->outcome(), CorrectionDesign::Outcome::kSettled);
    const int past = design->iterations() + 100;
    auto ref = std::make_unique<reference::Design>(), later = std::make_unique<reference::Design>();
    reference::fill_matrix(*ref, c.freq, 120, 44100);
    reference::fill_matrix(*later, c.freq, 120, 44100);
    reference::run(*ref, c.measured, target, c.freq, 120, 44100, past);
    reference::run(*later, c.measured, target, c.freq, 120, 44100, past + 1);
    Cascade::Coefficients k;
    design->build_sections(44100, k);
    for (int i = 0; i < 120; ++i) {
      ASSERT_EQ(later->band_gain[i], ref->band_gain[i]) << i;
      ASSERT_EQ(design->corrected()[i], ref->corrected[i]) << i;
      ASSERT_EQ(design->band_gain()[i], ref->band_gain[i]) << i;
      ASSERT_EQ(k.a[i], ref->coef_a[i]) << i;
      ASSERT_EQ(k.b[i], ref->coef_b[i]) << i;
      ASSERT_EQ(k.c[i], ref->coef_c[i]) << i;
    }
    EXPECT_EQ(design->out_gain(), ref->out_gain);
  }

  // A target that keeps the fit moving is cut at the bound, with a result to publish; a raised stop
  // flag gives none.
  double jagged[120];
  for (int i = 0; i < 120; ++i) jagged[i] = c.target[i] * std::pow(10.0, (i % 2 ? 30 : -30) / 20.0);
  ASSERT_TRUE(design->fit(c.measured, jagged, c.freq, 120, 44100, 3000));
  EXPECT_EQ(design->outcome(), CorrectionDesign::Outcome::kBounded);
  EXPECT_EQ(design->iterations(), 3000);
  const std::atomic<bool> stop{true};
  EXPECT_FALSE(design->fit(c.measured, c.target, c.freq, 120, 44100, 3000, &stop));
  EXPECT_EQ(design->outcome(), CorrectionDesign::Outcome::kStopped);
}

TEST_F(CorrectionDesignFit, RefusesCurvesItCannotFitAndKeepsTheLastResult) {
  const reference::Curves c = reference::guitar_curves();
  ASSERT_TRUE(design->fit(c.measured, c.target, c.freq, 120, 48000));
  double before[120];
  std::memcpy(before, design->corrected(), sizeof before);
  double bad[120];
  for (double v : {0.0, -1.0, std::nan(""), HUGE_VAL}) {
    std::memcpy(bad, c.measured, sizeof bad);
    bad[40] = v;
    EXPECT_FALSE(design->fit(bad, c.target, c.freq, 120, 48000));
    EXPECT_FALSE(design->fit(c.measured, bad, c.freq, 120, 48000));
  }
  EXPECT_FALSE(design->fit(c.measured, c.target, c.freq, 0, 48000));
  EXPECT_FALSE(design->fit(c.measured, c.target, c.freq, 121, 48000));
  EXPECT_FALSE(design->fit(c.measured, c.target, c.freq, 120, 0.0));
  EXPECT_EQ(std::memcmp(before, design->corrected(), sizeof before), 0);
}

}  // namespace
