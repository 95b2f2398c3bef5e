#include "engine/SpectrumMatch.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <numbers>

#include "engine/CorrectionDesign.h"
#include "engine/LongTermSpectrum.h"

SpectrumMatch::SpectrumMatch() = default;
SpectrumMatch::~SpectrumMatch() = default;

bool SpectrumMatch::match(const LongTermSpectrum& source, const LongTermSpectrum& reference,
                          const double* band_freq, double rate) {
  n = source.bands();
  if (n != reference.bands() || n < 1 || n > kMaxBands || !(rate > 0.0)) return false;
  if (!design) design.reset(new (std::nothrow) CorrectionDesign);
  if (!design) return false;
  std::copy(band_freq, band_freq + n, freq);

  const double* src = source.levels();
  const double* ref = reference.levels();
  // The overall gain that keeps the source's loudness: equal power summed over the bands.
  double src_power = 0.0, ref_power = 0.0;
  for (int i = 0; i < n; ++i) {
    src_power += src[i] * src[i];
    ref_power += ref[i] * ref[i];
  }
  double overall = ref_power > 0.0 ? std::sqrt(src_power / ref_power) : 1.0;
  // The design boosts a band at most kMaxBoost over the measured curve: where the reference asks for
  // more, the whole target goes down until the largest boost leaves room for the refinement.
  double steepest = 0.0;
  for (int i = 0; i < n; ++i)
    if (src[i] >= kFloor && ref[i] >= kFloor)
      steepest = std::max(steepest, std::min(ref[i] / src[i] * overall, overall * kMaxSpread));
  if (steepest > kBoostRoom) overall *= kBoostRoom / steepest;

  int any = -1;
  for (int i = 0; i < n; ++i) {
    comparable[i] = src[i] >= kFloor && ref[i] >= kFloor;
    if (comparable[i])
      goal[i] = std::clamp(ref[i] / src[i] * overall, overall / kMaxSpread,
                           std::min(overall * kMaxSpread, CorrectionDesign::kMaxBoost));
    if (comparable[i] && any < 0) any = i;
  }
  // A band with nothing to compare keeps the correction of its nearest comparable band, the lower
  // one on a tie: no steps where a recording runs out of signal.
  for (int i = 0; i < n; ++i) {
    if (comparable[i]) continue;
    int best = any;
    for (int j = 0; j < n; ++j)
      if (comparable[j] && std::abs(j - i) < std::abs(best - i)) best = j;
    goal[i] = best >= 0 ? goal[best] : 1.0;
  }

  double target[kMaxBands], best_target[kMaxBands], best_residual[kMaxBands], gain[kMaxBands];
  for (int i = 0; i < n; ++i) {
    measured_[i] = std::max(src[i], kMinLevel);
    target[i] = measured_[i] * goal[i];
  }
  double best = -1.0;
  for (int pass = 0; pass < kPasses; ++pass) {
    if (!design->fit(measured_, target, freq, n, rate)) return false;
    predict(source, rate, gain);
    for (int i = 0; i < n; ++i) residual[i] = gain[i] / goal[i];
    const double miss = rms_after_db(0.0, 1.0e9);
    if (best < 0.0 || miss < best) {
      best = miss;
      std::copy(target, target + n, best_target);
      std::copy(residual, residual + n, best_residual);
    }
    if (pass + 1 == kPasses) break;
    // Move each band's target by what its band sum still misses: at most 6 dB a pass and 12 dB in
    // all, so that a band the sections cannot reach does not drag its neighbours along.
    for (int i = 0; i < n; ++i) {
      if (!comparable[i] || !(gain[i] > 0.0)) continue;
      const double start = measured_[i] * goal[i];
      target[i] = std::clamp(target[i] * std::clamp(goal[i] / gain[i], 0.5, 2.0), start / 4.0,
                             std::min(start * 4.0, measured_[i] * CorrectionDesign::kMaxBoost));
    }
  }
  std::copy(best_residual, best_residual + n, residual);

  // The plot's top is 0 dB and the vertical slider only lowers the target: a target above it is cut
  // as a whole, which plays the match a little quieter and never louder than the source.
  double top = 0.0;
  for (int i = 0; i < n; ++i) top = std::max(top, best_target[i]);
  const double scale = top > 1.0 ? 1.0 / top : 1.0;
  for (int i = 0; i < n; ++i) target_[i] = std::max(best_target[i] * scale, kMinLevel);
  return true;
}

// The fitted sections' exact squared magnitudes at every sub-band of the source, weighted by its
// power there: the band sums the corrected source will have, relative to the source's.
void SpectrumMatch::predict(const LongTermSpectrum& source, double rate, double* gain) const {
  const double* g = design->band_gain();
  const double* q = design->band_q();
  double ci[kMaxBands], si[kMaxBands], p[kMaxBands], w2[kMaxBands];
  for (int i = 0; i < n; ++i) {
    const double w = 2.0 * std::numbers::pi * freq[i] / rate;
    ci[i] = std::cos(w);
    si[i] = std::sin(w);
    p[i] = (g[i] + 2.0) * g[i];
    w2[i] = q[i] * q[i];
  }
  const double* power = source.sub_power();
  const double* hz = source.sub_freq();
  constexpr int split = LongTermSpectrum::kSplit;
  for (int b = 0; b < n; ++b) {
    double weighted = 0.0, total = 0.0, plain = 0.0;
    for (int s = 0; s < split; ++s) {
      const double w = std::min(2.0 * std::numbers::pi * hz[b * split + s] / rate, std::numbers::pi * 0.999);
      const double c = std::cos(w), sn = std::sin(w);
      double m2 = 1.0;
      for (int i = 0; i < n; ++i) {
        const double d = (c - ci[i]) / (si[i] * sn);
        m2 *= 1.0 + p[i] / (1.0 + w2[i] * d * d);
      }
      weighted += power[b * split + s] * m2;
      total += power[b * split + s];
      plain += m2;
    }
    gain[b] = design->out_gain() * std::sqrt(total > 0.0 ? weighted / total : plain / split);
  }
}

double SpectrumMatch::rms(const double* ratio, double lo_hz, double hi_hz) const {
  double sum = 0.0, sum2 = 0.0;
  int count = 0;
  for (int i = 0; i < n; ++i) {
    if (!comparable[i] || freq[i] < lo_hz || freq[i] > hi_hz) continue;
    const double d = 20.0 * std::log10(ratio[i]);
    sum += d;
    sum2 += d * d;
    ++count;
  }
  if (count == 0) return 0.0;
  const double mean = sum / count;
  return std::sqrt(std::max(0.0, sum2 / count - mean * mean));
}
