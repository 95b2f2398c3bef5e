#include "tools/knocksynth/BodyModel.h"
#include "tools/knocksynth/KnockSynth.h"
#include "tools/knocksynth/NoiseSource.h"
#include "tools/knocksynth/PhraseSynth.h"
#include "tools/knocksynth/PluckedString.h"

#include <gtest/gtest.h>
#include <algorithm>
#include <cmath>
#include <numbers>

namespace {
// Magnitude of one frequency in a stretch of samples (Goertzel).
double level_at(const std::vector<double>& x, size_t from, size_t n, double freq, double rate) {
  const double w = 2.0 * std::numbers::pi * freq / rate;
  double s1 = 0, s2 = 0;
  for (size_t i = from; i < from + n && i < x.size(); ++i) {
    const double s = x[i] + 2.0 * std::cos(w) * s1 - s2;
    s2 = s1;
    s1 = s;
  }
  return std::sqrt(s1 * s1 + s2 * s2 - 2.0 * std::cos(w) * s1 * s2);
}
}  // namespace

TEST(KnockSynth, RingsAtTheBodyModesAndDecaysBetweenKnocks) {
  KnockSynth::Settings s;
  s.seconds = 2.0;
  s.knock_times = {0.1};
  const auto x = KnockSynth::render(s);
  ASSERT_EQ(x.size(), 88200u);
  double peak = 0;
  for (double v : x) peak = std::max(peak, std::fabs(v));
  EXPECT_NEAR(peak, 0.5, 0.01);

  const size_t n = 16384;
  const size_t start = 4410;
  const double air = level_at(x, start, n, 98.0, 44100);
  const double between = level_at(x, start, n, 140.0, 44100);
  EXPECT_GT(air, 10 * between) << "the air mode stands out of the spectrum";
  // Nothing is left of the knock a second and a half later but the room.
  double tail = 0;
  for (size_t i = 80000; i < x.size(); ++i) tail = std::max(tail, std::fabs(x[i]));
  EXPECT_LT(tail, 0.002);
  EXPECT_GT(tail, 0.0) << "the room noise never stops";
}

TEST(KnockSynth, SameSeedSameRecording) {
  KnockSynth::Settings s;
  s.seconds = 0.5;
  s.knock_times = {0.05, 0.3};
  EXPECT_EQ(KnockSynth::render(s), KnockSynth::render(s));
  KnockSynth::Settings other = s;
  other.seed = 2;
  EXPECT_NE(KnockSynth::render(s), KnockSynth::render(other));
  s.seconds = 0.0;
  EXPECT_TRUE(KnockSynth::render(s).empty());
}

TEST(KnockSynth, ModesTheRateCannotCarryAreLeftOut) {
  // At 8 kHz the 4.3 and 6.2 kHz modes would alias; the body must stay stable and bounded.
  BodyModel body(BodyModel::dreadnought(), 8000.0);
  double peak = 0;
  for (int i = 0; i < 8000; ++i) peak = std::max(peak, std::fabs(body.tick(i == 0 ? 1.0 : 0.0)));
  EXPECT_TRUE(std::isfinite(peak));
  EXPECT_LT(peak, 10.0);
}

TEST(KnockSynth, StringsPlayInTune) {
  NoiseSource noise(3);
  const double rate = 44100;
  PluckedString a(110.0, rate, 4.0);
  a.pluck(1.0, 0.5, noise);
  std::vector<double> x(44100);
  for (double& v : x) v = a.tick();
  const double on = level_at(x, 4410, 32768, 110.0, rate);
  const double sharp = level_at(x, 4410, 32768, 110.0 * std::pow(2.0, 0.25 / 12), rate);
  EXPECT_GT(on, 3 * sharp) << "within a quarter semitone";
  const auto phrase = PhraseSynth::render(PhraseSynth::e_minor_phrase(), rate, 1.0, 0.7);
  double peak = 0;
  for (double v : phrase) peak = std::max(peak, std::fabs(v));
  EXPECT_NEAR(peak, 0.7, 1e-12);
}
